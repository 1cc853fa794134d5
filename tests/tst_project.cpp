// Tests of the project file: the writer, the reader, entry dates, the entry limit and the round trip.
#include "core/document/entryfields.h"
#include "core/document/feeddocument.h"
#include "core/entries/entryoperations.h"
#include "core/import/feedimport.h"
#include "core/output/preview.h"
#include "core/output/rsswriter.h"
#include "core/project/datetext.h"
#include "core/project/projectreader.h"
#include "core/project/projectwriter.h"
#include "core/system/systemlocale.h"
#include "core/text/markupreader.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"

#include "testsupport.h"

#include <QDir>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

using namespace Feedsmith;
using namespace Qt::StringLiterals;

namespace {

QLocale german()
{
    return QLocale(QLocale::German, QLocale::Germany);
}

QLocale american()
{
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

const QString RootText = u"Mein Feed"_s;
const QString NewEntryText = u"Neuer Eintrag"_s;

// The language texts the reader looks up.
KeyedTexts languageTexts(bool withRootKey = true, bool withNewEntry = true)
{
    KeyedTexts texts;
    if (withRootKey)
        texts.insert(u"rootkey"_s, RootText);
    if (withNewEntry)
        texts.insert(u"newentry"_s, NewEntryText);
    texts.insert(u"lastmodified"_s, u"Zuletzt ge\u00e4ndert:"_s);
    return texts;
}

// The style sheet of the test's program folder, with a comma and on two lines.
const QByteArray StyleSheet = "p { margin: 0; }\r\nb, i { color: #333; }\r\n";
// Its style block: the sheet's lines joined without a separator, between the fixed texts.
const QString StyleBlock = u"<style type=text/css><!--p { margin: 0; }b, i { color: #333; }--></style>"_s;

QDateTime local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

QDateTime zero()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

RSSentry makeEntry(const QString &title, const QString &link, const QString &content, const QDateTime &date)
{
    RSSentry e;
    e.title = title;
    e.link = link;
    e.content = content;
    e.createdate = date;
    return e;
}

QByteArray crlf(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

// The lines between "<entries>" and "</entries>".
QByteArray entriesSection(const QByteArray &file)
{
    const QByteArray open = "\r\n<entries>\r\n";
    const qsizetype start = file.indexOf(open);
    const qsizetype end = file.indexOf("</entries>\r\n");
    if (start < 0 || end < 0)
        return {};
    return file.mid(start + open.size(), end - start - open.size());
}

MarkupTable rows(const QString &text)
{
    return ParseMarkup(text);
}

// One entry group of a hand-made project file.
QString group(const QString &title, const QString &date, const QString &extra = {})
{
    QString g = u"\t<entry>\r\n"_s;
    if (!title.isEmpty())
        g += u"\t\t<title>"_s + title + u"</title>\r\n"_s;
    g += extra;
    g += u"\t\t<date>"_s + date + u"</date>\r\n"_s;
    g += u"\t</entry>\r\n"_s;
    return g;
}

// A text with its control and non-ASCII characters made visible, for failure messages.
QByteArray shown(const QString &text)
{
    return text.toUtf8().toPercentEncoding(" <>,&#[]:;/\"=!{}");
}

const QString Declaration = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"_s;

// ---------------------------------------------------------------------------------------------
// The model of what survives a write and a read. Every step here is one of the file's rules.
namespace Model {

// Characters the code page holds in its upper half (codes 128 to 255).
bool codePageUpperHalf(char32_t cp)
{
    if (cp >= 0xA0 && cp <= 0xFF)
        return true;
    static const char32_t high[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
                                    0x2030, 0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C,
                                    0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A,
                                    0x0153, 0x017E, 0x0178, 0x81,   0x8D,   0x8F,   0x90,   0x9D};
    return std::find(std::begin(high), std::end(high), cp) != std::end(high);
}

// The replacement texts of the upper-half characters the generated texts use.
const QHash<QChar, QString> &transliterations()
{
    static const QHash<QChar, QString> table = {
            {QChar(0x00E4), u"ae"_s},   {QChar(0x00C4), u"Ae"_s},   {QChar(0x00D6), u"Oe"_s},
            {QChar(0x00F6), u"oe"_s},   {QChar(0x00DF), u"ss"_s},   {QChar(0x00E9), u"e"_s},
            {QChar(0x00C9), u"E"_s},    {QChar(0x20AC), u"Euro"_s}, {QChar(0x00BD), u"1/2"_s},
            {QChar(0x2019), QString()}, {QChar(0x2013), QString()}, {QChar(0x00A0), u" "_s},
    };
    return table;
}

// The two passes, literally: at each position of the original length, an upper-half character
// has every occurrence of it (either case) replaced at once; whatever upper-half character is
// left afterwards becomes "_".
QString transliterate(QString t)
{
    const qsizetype length = t.size();
    for (qsizetype p = 0; p < length; ++p) {
        if (p >= t.size())
            break;
        const QChar c = t[p];
        if (!codePageUpperHalf(c.unicode()))
            continue;
        t.replace(QString(c), transliterations().value(c), Qt::CaseInsensitive);
    }
    for (QChar &c : t) {
        if (codePageUpperHalf(c.unicode()))
            c = u'_';
    }
    return t;
}

QString extractBody(const QString &content)
{
    const qsizetype open = content.indexOf(u"<body>"_s, 0, Qt::CaseInsensitive);
    const qsizetype close = content.indexOf(u"</body>"_s, 0, Qt::CaseInsensitive);
    if (open < 0 && close < 0)
        return content;
    return content.mid(open + 6, close - open - 6);
}

QString escape(QString t)
{
    t.replace(u"<"_s, u"[["_s);
    t.replace(u">"_s, u"]]"_s);
    t.replace(u","_s, u"[:bst:]"_s);
    t.remove(u'\n');
    t.remove(u'\r');
    return t;
}

QString unescape(QString t)
{
    t.replace(u"[["_s, u"<"_s);
    t.replace(u"]]"_s, u">"_s);
    t.replace(u"[:bst:]"_s, u","_s, Qt::CaseInsensitive);
    t.remove(u'\n');
    t.remove(u'\r');
    return t;
}

// A character without a code page byte is written as "&#N;".
QString references(const QString &t)
{
    QString out;
    for (const char32_t cp : t.toUcs4()) {
        if (cp < 0x80 || codePageUpperHalf(cp))
            out += QString::fromUcs4(&cp, 1);
        else
            out += u"&#"_s + QString::number(quint32(cp)) + u';';
    }
    return out;
}

// "&#N;" with N above 255 turns back into its character; smaller numbers stay as text.
QString decodeHighReferences(const QString &t, bool valueReferences = false)
{
    static const QRegularExpression reference(u"&#([0-9]+);"_s);
    QString out;
    qsizetype last = 0;
    auto it = reference.globalMatch(t);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        bool ok = false;
        const qulonglong n = m.captured(1).toULongLong(&ok);
        out += t.mid(last, m.capturedStart() - last);
        if (ok
            && ((n > 255 && n <= 0x10FFFF && !(n >= 0xD800 && n <= 0xDFFF))
                || (valueReferences && (n == 9 || n == 32 || n == 38 || n == 60 || n == 62 || n == 91)))) {
            const char32_t cp = char32_t(n);
            out += QString::fromUcs4(&cp, 1);
        } else {
            out += m.captured(0);
        }
        last = m.capturedEnd();
    }
    out += t.mid(last);
    return out;
}

QString trimBlanks(const QString &t)
{
    qsizetype b = 0;
    qsizetype e = t.size();
    while (b < e && t[b] == u' ')
        ++b;
    while (e > b && t[e - 1] == u' ')
        --e;
    return t.mid(b, e - b);
}

// What the reader takes from a value line: the text up to the first "<" or the end of the line
// (a CR; a lone LF is text), less any ">" standing right after the start tag, blanks trimmed at
// both ends, then every tab dropped, then "[:br:]" as CR LF. A value on the first line after a line that only opens an
// element ("<settings>",
// "<entry>") is read together with that line's indentation tabs, so its leading blanks stay.
QString readValue(const QString &written, int carriedTabs)
{
    QString v = written;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == u'<' || v[i] == u'\r') {
            v.truncate(i);
            break;
        }
    }
    // A ">" met directly after the start tag is passed over; one met inside the value stays.
    qsizetype lead = 0;
    while (lead < v.size() && v[lead] == u'>')
        ++lead;
    v.remove(0, lead);
    v = trimBlanks(QString(carriedTabs, u'\t') + v);
    v.remove(u'\t');
    v.replace(u"[:br:]"_s, u"\r\n"_s, Qt::CaseInsensitive);
    return v;
}

// A channel, FTP, title or link value as written: one line (a line break is a blank), with "&#",
// "<", tabs, blanks at the ends, a leading ">" and the "[" of "[:" referenced.
QString storedValue(QString v)
{
    v.replace(u"\r\n"_s, u" "_s);
    v.replace(u'\r', u' ');
    v.replace(u'\n', u' ');
    v.replace(u"&#"_s, u"&#38;#"_s);
    v.replace(u"[:"_s, u"&#91;:"_s);
    v.replace(u"<"_s, u"&#60;"_s);
    v.replace(u"\t"_s, u"&#9;"_s);
    if (v.startsWith(u' '))
        v.replace(0, 1, u"&#32;"_s);
    if (v.size() > 1 && v.endsWith(u' '))
        v.replace(v.size() - 1, 1, u"&#32;"_s);
    if (v.startsWith(u'>'))
        v.replace(0, 1, u"&#62;"_s);
    return v;
}

// A channel, FTP, title or link value after writing and reading.
QString plainValue(const QString &original, int carriedTabs)
{
    return decodeHighReferences(readValue(storedValue(original), carriedTabs), true);
}

// Brackets of a body's text that the bracket escapes would take for markup, and an "&" that
// would start one of the body's references, as references.
QString referencedBrackets(const QString &body)
{
    QString out;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QString next = body.mid(i + 1, 1);
        static const QRegularExpression reference(u"^(&#(9|32|91|93);|&#38;#)"_s);
        if (body[i] == u'[' && (next == u"["_s || next == u"<"_s || next == u":"_s))
            out += u"&#91;"_s;
        else if (body[i] == u']' && (next == u"]"_s || next == u">"_s))
            out += u"&#93;"_s;
        else if (reference.match(QStringView(body).mid(i)).hasMatch())
            out += u"&#38;"_s;
        else
            out += body[i];
    }
    return out;
}

// The body's references made characters again, left to right; "&#38;" only before "#".
QString decodeBodyReferences(const QString &t)
{
    static const QRegularExpression reference(u"&#(9|32|91|93);|&#38;(?=#)"_s);
    QString out;
    qsizetype last = 0;
    for (const QRegularExpressionMatch &m : reference.globalMatch(t)) {
        out += t.mid(last, m.capturedStart() - last) + QChar(m.captured(1).isEmpty() ? 38 : m.captured(1).toInt());
        last = m.capturedEnd();
    }
    return out + t.mid(last);
}

// An entry's content after writing and reading.
QString content(const QString &original, const QString &styleBlock, int carriedTabs)
{
    if (original.isEmpty())
        return {};
    QString body = extractBody(original);
    body = transliterate(body);
    body.remove(styleBlock, Qt::CaseInsensitive);
    body = references(escape(referencedBrackets(body)));
    body.replace(u"\t"_s, u"&#9;"_s);
    if (body.startsWith(u' '))
        body.replace(0, 1, u"&#32;"_s);
    if (body.size() > 1 && body.endsWith(u' '))
        body.replace(body.size() - 1, 1, u"&#32;"_s);
    return styleBlock + decodeBodyReferences(unescape(readValue(body, carriedTabs)));
}

} // namespace Model

struct ChannelTag
{
    QString tag;
    QString ChannelSettings::*member;
};

// The channel fields in the order the file lists them.
const QList<ChannelTag> &channelTags()
{
    static const QList<ChannelTag> tags = {
            {u"title"_s, &ChannelSettings::title},
            {u"link"_s, &ChannelSettings::link},
            {u"description"_s, &ChannelSettings::description},
            {u"number"_s, &ChannelSettings::number},
            {u"language"_s, &ChannelSettings::language},
            {u"managingeditor"_s, &ChannelSettings::managingeditor},
            {u"webmaster"_s, &ChannelSettings::webmaster},
            {u"category"_s, &ChannelSettings::category},
            {u"ttl"_s, &ChannelSettings::ttl},
            {u"imageurl"_s, &ChannelSettings::imageurl},
            {u"imagetitle"_s, &ChannelSettings::imagetitle},
            {u"imagelink"_s, &ChannelSettings::imagelink},
    };
    return tags;
}

const QList<QString FtpSettings::*> &storedFtpMembers()
{
    static const QList<QString FtpSettings::*> members = {&FtpSettings::ftpfile, &FtpSettings::ftpurl,
                                                          &FtpSettings::ftpdir, &FtpSettings::ftpusername,
                                                          &FtpSettings::ftpproxy};
    return members;
}

// Lowers the process's file size limit while it lives; a write past the limit then fails with an
// error instead of ending the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

} // namespace

class TestProject : public QObject
{
    Q_OBJECT

private slots:
    void fieldsTravel_data();
    void fieldsTravel();
    void datedIdsStayWithTheirEntries();
    void initTestCase();

    // Writer
    void newDocumentGivesSevenLines();
    void channelAndFtpFieldsAreWrittenToReadBackWhole();
    void entryGroupLines_data();
    void entryGroupLines();
    void entriesAreWrittenInRisingKeyOrder();
    void passwordIsNeverWritten();
    void angleBracketsAndLineBreaksReadBack();
    void dateText_data();
    void dateText();
    void writeFailuresNameTheFile_data();
    void writeFailuresNameTheFile();
    void failedWriteLeavesPreviousFileIntact_data();
    void failedWriteLeavesPreviousFileIntact();
    void writeReplacesTheWholeFile();

    // Reader
    void readDateForms_data();
    void readDateForms();
    void threeEntryGroups();
    void untitledEntryStaysUntitled();
    void untitledEntryWithoutNewEntryText();
    void emptyDefaultsComeBack_data();
    void emptyDefaultsComeBack();
    void fieldLinesCountOnlyInTheirBlock();
    void contentLinesAreUnescaped_data();
    void contentLinesAreUnescaped();
    void plainValueReferences_data();
    void plainValueReferences();
    void projectFileToRead_data();
    void projectFileToRead();
    void fileNameDecidesWhatIsRead_data();
    void fileNameDecidesWhatIsRead();
    void missingFileGivesEmptyDocument();
    void oversizedFileIsRefused_data();
    void oversizedFileIsRefused();
    void withoutRootKeyTextNoTreeNodes();
    void entryGroupLimit_data();
    void entryGroupLimit();
    void entryGroupWithoutEnd_data();
    void entryGroupWithoutEnd();

    // Both
    void roundTrip();
    void storedBodyRoutesAgree();
    void earlierFilesReadAsBefore_data();
    void earlierFilesReadAsBefore();
    void exactTextThroughSaveOpenAndGenerate_data();
    void exactTextThroughSaveOpenAndGenerate();

private:
    QTemporaryDir m_programDir;
    QString programFolder() const { return m_programDir.path(); }
};

void TestProject::initTestCase()
{
    SystemLocale::setLocale(german()); // the entry captions below are German ones
    QVERIFY(m_programDir.isValid());
    QVERIFY(FeedsmithTest::writeBytes(programFolder() + u"/styles.css"_s, StyleSheet));
    QCOMPARE(BuildStyleBlock(programFolder()), StyleBlock);
}

// ---------------------------------------------------------------------------------------------
// Writer

void TestProject::newDocumentGivesSevenLines()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"new.rsx"_s);
    FeedDocument doc;
    NewDocument(doc);
    QString error;
    QVERIFY2(WriteProjectFile(doc, path, programFolder(), &error), qPrintable(error));
    const QByteArray bytes = FeedsmithTest::readBytes(path);
    QCOMPARE(bytes,
             crlf({"<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "<settings>", "\t<number>10</number>",
                   "\t<ttl>1440</ttl>", "</settings>", "<ftpsettings>", "</ftpsettings>"}));
    QCOMPARE(bytes.count("\r\n"), 7);
}

void TestProject::channelAndFtpFieldsAreWrittenToReadBackWhole()
{
    FeedDocument doc;
    NewDocument(doc);
    doc.channel.title = u"Tom <&> Jerry"_s;
    doc.channel.link = u" https://x.example/ "_s;
    doc.channel.description = u"Gr\u00fc\u00dfe\taus K\u00f6ln, [:br:] [[x]]"_s;
    doc.channel.number = u"7"_s;
    doc.channel.language = u"de"_s;
    doc.channel.managingeditor = u"ed@example.com"_s;
    doc.channel.webmaster = u"wm@example.com"_s;
    doc.channel.category = u"Caf\u00e9"_s;
    doc.channel.ttl = u"60"_s;
    doc.channel.imageurl = u"https://x.example/logo.png"_s;
    doc.channel.imagetitle = u"Logo \u2192 neu"_s;
    doc.channel.imagelink = u"https://x.example/"_s;
    doc.ftp.ftpfile = u"/tmp/feed.xml"_s;
    doc.ftp.ftpurl = u"ftp.example.com"_s;
    doc.ftp.ftpdir = u"/htdocs"_s;
    doc.ftp.ftpusername = u"jane"_s;
    doc.ftp.ftppassword = u"geheim"_s;
    doc.ftp.ftpproxy = u"proxy:8080"_s;

    const QByteArray bytes = BuildProjectFile(doc, StyleBlock);
    QCOMPARE(bytes,
             crlf({"<?xml version=\"1.0\" encoding=\"windows-1252\"?>",
                   "<settings>",
                   "\t<title>Tom &#60;&> Jerry</title>",
                   "\t<link>&#32;https://x.example/&#32;</link>",
                   "\t<description>Gr\xfc\xdf"
                   "e&#9;aus K\xf6ln, &#91;:br:] [[x]]</description>",
                   "\t<number>7</number>",
                   "\t<language>de</language>",
                   "\t<managingeditor>ed@example.com</managingeditor>",
                   "\t<webmaster>wm@example.com</webmaster>",
                   "\t<category>Caf\xe9</category>",
                   "\t<ttl>60</ttl>",
                   "\t<imageurl>https://x.example/logo.png</imageurl>",
                   "\t<imagetitle>Logo &#8594; neu</imagetitle>",
                   "\t<imagelink>https://x.example/</imagelink>",
                   "</settings>",
                   "<ftpsettings>",
                   "\t<ftpfile>/tmp/feed.xml</ftpfile>",
                   "\t<ftpurl>ftp.example.com</ftpurl>",
                   "\t<ftpdir>/htdocs</ftpdir>",
                   "\t<ftpusername>jane</ftpusername>",
                   "\t<ftpproxy>proxy:8080</ftpproxy>",
                   "</ftpsettings>"}));
}

void TestProject::entryGroupLines_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray start = "\t<entry>\r\n";
    const QByteArray end = "\t\t<date>2026-12-06 09:00:00 +01:00</date>\r\n\t</entry>\r\n";

    QTest::newRow("empty title, link and content give three lines")
            << QString() << QString() << QString() << QByteArray(start + end);
    QTest::newRow("title keeps its edge blanks and its <")
            << u" Tom <b>, x "_s << u"https://x.example/?a=1,b=2"_s << QString()
            << QByteArray(start
                          + "\t\t<title>&#32;Tom &#60;b>, "
                            "x&#32;</title>\r\n\t\t<link>https://x.example/?a=1,b=2</link>\r\n"
                          + end);
    QTest::newRow("title outside the code page becomes references")
            << u"Caf\u00e9 \u2192 \U0001F600"_s << QString() << QString()
            << QByteArray(start + "\t\t<title>Caf\xe9 &#8594; &#128512;</title>\r\n" + end);
    QTest::newRow("editor document with nothing typed gives an empty content line")
            << QString() << QString() << u"<html><head>{STYLE}</head><body></body></html>"_s
            << QByteArray(start + "\t\t<content></content>\r\n" + end);
    QTest::newRow("content holding only the style block gives an empty content line")
            << QString() << QString() << u"{STYLE}"_s << QByteArray(start + "\t\t<content></content>\r\n" + end);
    QTest::newRow("body with comma, angle brackets and line breaks is one line")
            << QString() << QString() << u"<html><body><p>a, b</p>\r\n<p>c</p>\n\r</body></html>"_s
            << QByteArray(start + "\t\t<content>[[p]]a[:bst:] b[[/p]][[p]]c[[/p]]</content>\r\n" + end);
    QTest::newRow("body tags in capitals are found")
            << QString() << QString() << u"<HTML><HEAD><TITLE>t</TITLE></HEAD><BODY><p>x</p></BODY></HTML>"_s
            << QByteArray(start + "\t\t<content>[[p]]x[[/p]]</content>\r\n" + end);
    QTest::newRow("content without body tags is taken whole less the style block")
            << QString() << QString() << u"{STYLE}<p>x</p>"_s
            << QByteArray(start + "\t\t<content>[[p]]x[[/p]]</content>\r\n" + end);
    QTest::newRow("every copy of the style block is removed, in any case")
            << QString() << QString() << u"<body>{STYLE}<p>x</p>{STYLEUPPER}y{STYLE}</body>"_s
            << QByteArray(start + "\t\t<content>[[p]]x[[/p]]y</content>\r\n" + end);
    QTest::newRow("body is transliterated")
            << QString() << QString() << u"<body>it\u2019s Gr\u00fc\u00dfe, 5 \u20ac \u00bd am Ende der Zeile</body>"_s
            << QByteArray(start + "\t\t<content>its Gruesse[:bst:] 5 Euro 1/2 am Ende der Zeile</content>\r\n" + end);
    QTest::newRow("character pushed past the body's first length becomes _")
            << QString() << QString() << u"<body>Gr\u00fc\u00dfe it\u2019s</body>"_s
            << QByteArray(start + "\t\t<content>Gruesse it_s</content>\r\n" + end);
    QTest::newRow("body outside the code page becomes references")
            << QString() << QString() << u"<body>a \u2192 b \U0001F600</body>"_s
            << QByteArray(start + "\t\t<content>a &#8594; b &#128512;</content>\r\n" + end);
    QTest::newRow("title, link and content in their order")
            << u"T"_s << u"L"_s << u"B"_s
            << QByteArray(start + "\t\t<title>T</title>\r\n\t\t<link>L</link>\r\n\t\t<content>B</content>\r\n" + end);
}

void TestProject::entryGroupLines()
{
    QFETCH(QString, title);
    QFETCH(QString, link);
    QFETCH(QString, content);
    QFETCH(QByteArray, expected);
    content.replace(u"{STYLEUPPER}"_s, StyleBlock.toUpper());
    content.replace(u"{STYLE}"_s, StyleBlock);

    FeedDocument doc;
    NewDocument(doc);
    QVERIFY(doc.entries.append(makeEntry(title, link, content, local(2026, 12, 6, 9, 0, 0))));
    const QByteArray bytes = BuildProjectFile(doc, StyleBlock);
    QCOMPARE(entriesSection(bytes), expected);
    QVERIFY(bytes.endsWith("</entries>\r\n"));
}

void TestProject::entriesAreWrittenInRisingKeyOrder()
{
    FeedDocument doc;
    NewDocument(doc);
    doc.entries.append(makeEntry(u"eins"_s, {}, {}, local(2026, 1, 1, 10, 0, 0)));
    doc.entries.append(makeEntry(u"zwei"_s, {}, {}, local(2026, 1, 2, 10, 0, 0)));
    doc.entries.append(makeEntry(u"drei"_s, {}, {}, local(2026, 1, 3, 10, 0, 0)));
    const QByteArray section = entriesSection(BuildProjectFile(doc, StyleBlock));
    QCOMPARE(section,
             crlf({"\t<entry>", "\t\t<title>eins</title>", "\t\t<date>2026-01-01 10:00:00 +01:00</date>", "\t</entry>",
                   "\t<entry>", "\t\t<title>zwei</title>", "\t\t<date>2026-01-02 10:00:00 +01:00</date>", "\t</entry>",
                   "\t<entry>", "\t\t<title>drei</title>", "\t\t<date>2026-01-03 10:00:00 +01:00</date>",
                   "\t</entry>"}));
}

void TestProject::passwordIsNeverWritten()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FeedDocument doc;
    NewDocument(doc);
    doc.ftp.ftpusername = u"jane"_s;
    doc.ftp.ftppassword = u"Geheim!42"_s;
    const QString path = dir.filePath(u"p.rsx"_s);
    QString error;
    QVERIFY2(WriteProjectFile(doc, path, programFolder(), &error), qPrintable(error));
    const QByteArray bytes = FeedsmithTest::readBytes(path);
    QVERIFY(!bytes.contains("Geheim!42"));
    QVERIFY(!bytes.contains("password"));
    QVERIFY(bytes.contains("\t<ftpusername>jane</ftpusername>\r\n"));

    FeedDocument reopened;
    reopened.ftp.ftppassword = u"noch da"_s;
    ReadProjectFile(reopened, path, programFolder(), languageTexts(), german());
    QCOMPARE(reopened.ftp.ftpusername, u"jane"_s);
    QCOMPARE(reopened.ftp.ftppassword, QString());
}

void TestProject::angleBracketsAndLineBreaksReadBack()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FeedDocument doc;
    NewDocument(doc);
    doc.channel.title = u"News <b>heute</b>"_s;
    doc.channel.link = u"a<b"_s;
    doc.channel.description = u"Zeile eins\r\nZeile zwei &#38;"_s;
    const QString path = dir.filePath(u"p.rsx"_s);
    QString error;
    QVERIFY2(WriteProjectFile(doc, path, programFolder(), &error), qPrintable(error));
    const QByteArray bytes = FeedsmithTest::readBytes(path);
    QVERIFY(bytes.contains("\t<title>News &#60;b>heute&#60;/b></title>\r\n"));
    QVERIFY(bytes.contains("\t<link>a&#60;b</link>\r\n"));
    // A value is one line: a line break that reached it is written as a blank.
    QVERIFY(bytes.contains("\t<description>Zeile eins Zeile zwei &#38;#38;</description>\r\n"));

    FeedDocument reopened;
    ReadProjectFile(reopened, path, programFolder(), languageTexts(), german());
    QCOMPARE(reopened.channel.title, u"News <b>heute</b>"_s);
    QCOMPARE(reopened.channel.link, u"a<b"_s);
    QCOMPARE(reopened.channel.description, u"Zeile eins Zeile zwei &#38;"_s);
    QCOMPARE(reopened.tree.caption(u"root"_s), u"News <b>heute</b>"_s);
}

void TestProject::dateText_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<QString>("expected");

    QTest::newRow("German, nine o'clock sharp")
            << german() << local(2026, 12, 6, 9, 0, 0) << u"2026-12-06 09:00:00 +01:00"_s;
    QTest::newRow("German, evening with seconds")
            << german() << local(2026, 12, 6, 19, 41, 29) << u"2026-12-06 19:41:29 +01:00"_s;
    QTest::newRow("German, single-digit day and month")
            << german() << local(2027, 3, 1, 9, 5, 7) << u"2027-03-01 09:05:07 +01:00"_s;
    QTest::newRow("German, year before 2000 keeps four digits")
            << german() << local(1999, 1, 2, 3, 4, 5) << u"1999-01-02 03:04:05 +01:00"_s;
    QTest::newRow("German, midnight keeps its offset")
            << german() << local(2026, 12, 6) << u"2026-12-06 00:00:00 +01:00"_s;
    QTest::newRow("German, one second past midnight keeps the time")
            << german() << local(2026, 12, 6, 0, 0, 1) << u"2026-12-06 00:00:01 +01:00"_s;
    QTest::newRow("German, zero date gives the time alone") << german() << zero() << u"00:00:00"_s;
    QTest::newRow("German, a time on the zero date") << german() << local(1899, 12, 30, 10, 5, 7) << u"10:05:07"_s;
    QTest::newRow("German, summer time") << german() << local(2026, 7, 14, 12, 30, 45)
                                         << u"2026-07-14 12:30:45 +02:00"_s;
    QTest::newRow("US, morning") << american() << local(2026, 12, 6, 9, 0, 0) << u"2026-12-06 09:00:00 +01:00"_s;
    QTest::newRow("US, evening") << american() << local(2026, 12, 6, 19, 41, 29) << u"2026-12-06 19:41:29 +01:00"_s;
    QTest::newRow("US, noon") << american() << local(2026, 12, 6, 12, 0, 0) << u"2026-12-06 12:00:00 +01:00"_s;
    QTest::newRow("US, midnight keeps its offset")
            << american() << local(2026, 12, 6) << u"2026-12-06 00:00:00 +01:00"_s;
    QTest::newRow("US, zero date gives the time alone") << american() << zero() << u"00:00:00"_s;
}

void TestProject::dateText()
{
    QFETCH(QLocale, locale);
    QFETCH(QDateTime, date);
    QFETCH(QString, expected);

    FeedDocument doc;
    NewDocument(doc);
    doc.entries.append(makeEntry(u"T"_s, {}, {}, date));
    const QByteArray bytes = BuildProjectFile(doc, StyleBlock);
    QCOMPARE(entriesSection(bytes),
             crlf({"\t<entry>", "\t\t<title>T</title>", QByteArray("\t\t<date>" + expected.toLatin1() + "</date>"),
                   "\t</entry>"}));

    // The same regional settings read it back to the same moment.
    FeedDocument reopened;
    LoadProjectRows(reopened, rows(QString::fromLatin1(bytes)), languageTexts(), StyleBlock, locale);
    QCOMPARE(reopened.entryCount(), 1);
    QCOMPARE(reopened.entries.at(1).createdate, date);
}

void TestProject::writeFailuresNameTheFile_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<bool>("targetIsFolder");

    QTest::newRow("target is a folder") << u"project.rsx"_s << true;
    QTest::newRow("folder of the target is missing") << u"missing/project.rsx"_s << false;
    QTest::newRow("two missing folders") << u"missing/deeper/project.rsx"_s << false;
}

void TestProject::writeFailuresNameTheFile()
{
    QFETCH(QString, relativePath);
    QFETCH(bool, targetIsFolder);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(relativePath);
    if (targetIsFolder)
        QVERIFY(QDir(dir.path()).mkdir(relativePath));

    FeedDocument doc;
    NewDocument(doc);
    doc.channel.title = u"Kanal"_s;
    QString error;
    QVERIFY(!WriteProjectFile(doc, path, programFolder(), &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));

    if (targetIsFolder) {
        QVERIFY(QFileInfo(path).isDir());
        QVERIFY(QDir(path).isEmpty());
    } else {
        QVERIFY(!QFileInfo::exists(dir.filePath(u"missing"_s)));
    }
    // Nothing else appeared beside it.
    const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QCOMPARE(left, targetIsFolder ? QStringList{u"project.rsx"_s} : QStringList{});
}

void TestProject::failedWriteLeavesPreviousFileIntact_data()
{
    QTest::addColumn<int>("descriptionLength");
    QTest::newRow("project of a few kilobytes") << 3000;
    QTest::newRow("project of tens of kilobytes") << 30000;
}

void TestProject::failedWriteLeavesPreviousFileIntact()
{
    QFETCH(int, descriptionLength);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"project.rsx"_s);
    const QByteArray previous = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<settings>\r\n</settings>\r\n";
    QVERIFY(FeedsmithTest::writeBytes(path, previous));

    FeedDocument doc;
    NewDocument(doc);
    doc.channel.description = QString(descriptionLength, u'x');
    QString error;
    bool written = true;
    {
        // No file may grow past a few hundred bytes while the new project is written.
        FileSizeLimit limit(512);
        QVERIFY(limit.ok());
        written = WriteProjectFile(doc, path, programFolder(), &error);
    }
    QVERIFY(!written);
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QCOMPARE(FeedsmithTest::readBytes(path), previous);
    const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QCOMPARE(left, QStringList{u"project.rsx"_s});
}

void TestProject::writeReplacesTheWholeFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"project.rsx"_s);
    QVERIFY(FeedsmithTest::writeBytes(path, QByteArray(10000, 'x')));
    FeedDocument doc;
    NewDocument(doc);
    QString error;
    QVERIFY2(WriteProjectFile(doc, path, programFolder(), &error), qPrintable(error));
    QCOMPARE(FeedsmithTest::readBytes(path),
             crlf({"<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "<settings>", "\t<number>10</number>",
                   "\t<ttl>1440</ttl>", "</settings>", "<ftpsettings>", "</ftpsettings>"}));
    const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QCOMPARE(left, QStringList{u"project.rsx"_s});
}

// ---------------------------------------------------------------------------------------------
// Reader

void TestProject::readDateForms_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");

    const QDateTime nine = local(2026, 12, 6, 9, 0, 0);
    const QDateTime evening = local(2026, 12, 6, 19, 41, 29);
    const QDateTime midnight = local(2026, 12, 6);

    QTest::newRow("German machine, German date and time") << german() << u"06.12.2026 09:00:00"_s << nine;
    QTest::newRow("German machine, German date alone") << german() << u"06.12.2026"_s << midnight;
    QTest::newRow("German machine, time alone falls on the zero date")
            << german() << u"19:41:29"_s << local(1899, 12, 30, 19, 41, 29);
    // A slash date that both orders read is read day first, as the machine writes its dates.
    QTest::newRow("German machine, ambiguous slash date is day first") << german() << u"6/12/2026 9:00:00 AM"_s << nine;
    QTest::newRow("German machine, British afternoon") << german() << u"6/12/2026 7:41:29 PM"_s << evening;
    QTest::newRow("German machine, British 24-hour time") << german() << u"06/12/2026 19:41:29"_s << evening;
    QTest::newRow("German machine, ambiguous slash date alone") << german() << u"6/12/2026"_s << midnight;
    QTest::newRow("German machine, US date with a day above 12")
            << german() << u"12/13/2026 7:41:29 PM"_s << local(2026, 12, 13, 19, 41, 29);
    QTest::newRow("US machine, British date with a day above 12")
            << american() << u"13/12/2026 19:41:29"_s << local(2026, 12, 13, 19, 41, 29);
    // Earlier versions wrote the locale's own text, with references for what Windows-1252 lacks.
    const QLocale japanese(u"ja_JP"_s);
    QByteArray japaneseText;
    Windows1252::appendEncoded(japaneseText, DateText::format(local(2026, 12, 6, 19, 41, 29), japanese));
    QTest::newRow("Japanese machine, references decoded first")
            << japanese << QString::fromLatin1(japaneseText) << evening;
    QTest::newRow("German machine, a skipped hour moves to its end")
            << german() << u"29.03.2026 02:30:00"_s << local(2026, 3, 29, 3, 0, 0);
    QTest::newRow("German machine, a skipped hour in ISO")
            << german() << u"2026-03-29 02:30:15"_s << local(2026, 3, 29, 3, 0, 0);
    QTest::newRow("German machine, US time alone") << german() << u"7:41:29 PM"_s << local(1899, 12, 30, 19, 41, 29);
    QTest::newRow("German machine, ISO date and time") << german() << u"2026-12-06 19:41:29"_s << evening;
    QTest::newRow("German machine, ISO date alone") << german() << u"2026-12-06"_s << midnight;
    QTest::newRow("US machine, US date and time") << american() << u"12/6/2026 7:41:29 PM"_s << evening;
    QTest::newRow("US machine, US date alone") << american() << u"12/6/2026"_s << midnight;
    QTest::newRow("US machine, US time alone") << american() << u"9:00:00 AM"_s << local(1899, 12, 30, 9, 0, 0);
    QTest::newRow("US machine, German date and time") << american() << u"06.12.2026 09:00:00"_s << nine;
    QTest::newRow("US machine, German date alone") << american() << u"06.12.2026"_s << midnight;
    QTest::newRow("US machine, ISO date and time") << american() << u"2026-12-06 09:00:00"_s << nine;
    QTest::newRow("unreadable text leaves the zero date") << german() << u"gestern"_s << zero();
    QTest::newRow("empty date leaves the zero date") << german() << QString() << zero();
    QTest::newRow("day that does not exist leaves the zero date") << german() << u"31.02.2026 10:00:00"_s << zero();
    QTest::newRow("hour 25 leaves the zero date") << german() << u"06.12.2026 25:00:00"_s << zero();
    QTest::newRow("date with trailing words leaves the zero date")
            << german() << u"06.12.2026 09:00:00 Uhr"_s << zero();
}

void TestProject::readDateForms()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);

    const QString file = Declaration + u"<entries>\r\n"_s + group(u"T"_s, text) + u"</entries>\r\n"_s;
    FeedDocument doc;
    LoadProjectRows(doc, rows(file), languageTexts(), StyleBlock, locale);
    QCOMPARE(doc.entryCount(), 1);
    QCOMPARE(doc.entries.at(1).createdate, expected);
    QCOMPARE(doc.tree.caption(u"key1"_s), expected.toString(u"dd.MM. HH:mm"_s) + u" T"_s);
    if (expected == zero())
        QVERIFY(doc.tree.caption(u"key1"_s).startsWith(u"30.12. 00:00 "_s));
}

void TestProject::threeEntryGroups()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"drei.rsx"_s);
    const QString file = Declaration + u"<settings>\r\n\t<title>Kanal</title>\r\n</settings>\r\n"_s
            + u"<ftpsettings>\r\n</ftpsettings>\r\n<entries>\r\n"_s
            + group(u"Erster"_s, u"02.11.2026 09:30:00"_s, u"\t\t<link>https://x.example/1</link>\r\n"_s)
            + group(u"Zweiter"_s, u"09.11.2026 14:15:00"_s, u"\t\t<content>[[p]]zwei[[/p]]</content>\r\n"_s)
            + group(u"Dritter"_s, u"16.11.2026 08:00:00"_s) + u"</entries>\r\n"_s;
    QVERIFY(FeedsmithTest::writeBytes(path, file.toLatin1()));

    FeedDocument doc;
    doc.currentEntryKey = u"key2"_s;
    const ProjectReadResult result = ReadProjectFile(doc, path, programFolder(), languageTexts(), german());
    QVERIFY(result.fileOpened);
    QCOMPARE(result.entriesRead, 3);
    QCOMPARE(result.entriesLeftOut, 0);
    QCOMPARE(doc.entryCount(), 3);
    QCOMPARE(doc.entries.at(1).title, u"Erster"_s);
    QCOMPARE(doc.entries.at(1).link, u"https://x.example/1"_s);
    QCOMPARE(doc.entries.at(1).content, QString());
    QCOMPARE(doc.entries.at(1).createdate, local(2026, 11, 2, 9, 30, 0));
    QCOMPARE(doc.entries.at(2).title, u"Zweiter"_s);
    QCOMPARE(doc.entries.at(2).content, StyleBlock + u"<p>zwei</p>"_s);
    QCOMPARE(doc.entries.at(3).title, u"Dritter"_s);
    QCOMPARE(doc.entries.find(u"key3"_s)->title, u"Dritter"_s);

    QCOMPARE(doc.tree.topLevelCount(), 1);
    QCOMPARE(doc.tree.childKeys(u"root"_s), (QStringList{u"key3"_s, u"key2"_s, u"key1"_s}));
    QCOMPARE(doc.tree.caption(u"root"_s), u"Kanal"_s);
    QVERIFY(doc.tree.isExpanded(u"root"_s));
    QCOMPARE(doc.tree.caption(u"key1"_s), u"02.11. 09:30 Erster"_s);
    QCOMPARE(doc.tree.caption(u"key2"_s), u"09.11. 14:15 Zweiter"_s);
    QCOMPARE(doc.tree.caption(u"key3"_s), u"16.11. 08:00 Dritter"_s);
    QCOMPARE(doc.currentEntryKey, QString());
    QCOMPARE(doc.projectPath, path);
    QCOMPARE(doc.ftp.ftppassword, QString());
}

void TestProject::untitledEntryStaysUntitled()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = Declaration + u"<entries>\r\n"_s
            + group(QString(), u"06.12.2026 10:05:00"_s, u"\t\t<link>https://x.example/</link>\r\n"_s)
            + u"</entries>\r\n"_s;
    FeedDocument doc;
    LoadProjectRows(doc, rows(file), languageTexts(), StyleBlock, german());
    QCOMPARE(doc.entryCount(), 1);
    QCOMPARE(doc.entries.at(1).title, QString());
    QCOMPARE(doc.tree.caption(u"key1"_s), u"06.12. 10:05 "_s + NewEntryText);

    // The caption is no title: saving afterwards writes none.
    const QString path = dir.filePath(u"p.rsx"_s);
    QString error;
    QVERIFY2(WriteProjectFile(doc, path, programFolder(), &error), qPrintable(error));
    QVERIFY(!FeedsmithTest::readBytes(path).contains("<title>"));
}

void TestProject::untitledEntryWithoutNewEntryText()
{
    const QString file =
            Declaration + u"<entries>\r\n"_s + group(QString(), u"06.12.2026 10:05:00"_s) + u"</entries>\r\n"_s;
    FeedDocument doc;
    LoadProjectRows(doc, rows(file), languageTexts(true, false), StyleBlock, german());
    QCOMPARE(doc.entryCount(), 1);
    QCOMPARE(doc.entries.at(1).title, QString());
    QCOMPARE(doc.tree.caption(u"key1"_s), u"06.12. 10:05 "_s);
}

void TestProject::emptyDefaultsComeBack_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("ttl");
    QTest::addColumn<QString>("expectedNumber");
    QTest::addColumn<QString>("expectedTtl");

    QTest::newRow("empty number reopens as 10") << QString() << u"60"_s << u"10"_s << u"60"_s;
    QTest::newRow("empty ttl reopens as 1440") << u"5"_s << QString() << u"5"_s << u"1440"_s;
    QTest::newRow("both empty") << QString() << QString() << u"10"_s << u"1440"_s;
}

void TestProject::emptyDefaultsComeBack()
{
    QFETCH(QString, number);
    QFETCH(QString, ttl);
    QFETCH(QString, expectedNumber);
    QFETCH(QString, expectedTtl);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FeedDocument doc;
    NewDocument(doc);
    doc.channel.number = number;
    doc.channel.ttl = ttl;
    const QString path = dir.filePath(u"p.rsx"_s);
    QString error;
    QVERIFY2(WriteProjectFile(doc, path, programFolder(), &error), qPrintable(error));
    const QByteArray bytes = FeedsmithTest::readBytes(path);
    QCOMPARE(bytes.contains("<number>"), !number.isEmpty());
    QCOMPARE(bytes.contains("<ttl>"), !ttl.isEmpty());

    FeedDocument reopened;
    reopened.channel.number = u"99"_s;
    reopened.channel.ttl = u"99"_s;
    ReadProjectFile(reopened, path, programFolder(), languageTexts(), german());
    QCOMPARE(reopened.channel.number, expectedNumber);
    QCOMPARE(reopened.channel.ttl, expectedTtl);
}

void TestProject::fieldLinesCountOnlyInTheirBlock()
{
    const QString file = Declaration
            + u"<title>Vorher</title>\r\n"
              "<settings>\r\n"
              "\t<title>Kanal</title>\r\n"
              "\t<Title>Gross geschrieben</Title>\r\n"
              "\t<ftpurl>falsch.example</ftpurl>\r\n"
              "</settings>\r\n"
              "<title>Dazwischen</title>\r\n"
              "<number>77</number>\r\n"
              "<ftpsettings>\r\n"
              "\t<ftpurl>ftp.example.com</ftpurl>\r\n"
              "\t<title>Im FTP-Block</title>\r\n"
              "</ftpsettings>\r\n"
              "<entries>\r\n"
              "\t<title>Im Block ohne Gruppe</title>\r\n"
              "\t<entry>\r\n"
              "\t\t<title>Drinnen</title>\r\n"
              "\t\t<number>99</number>\r\n"
              "\t\t<ftpdir>/eintrag</ftpdir>\r\n"
              "\t\t<date>06.12.2026 09:00:00</date>\r\n"
              "\t</entry>\r\n"
              "\t<title>Nach der Gruppe</title>\r\n"
              "</entries>\r\n"
              "<title>Danach</title>\r\n"
              "<entry>\r\n"
              "\t<title>Gruppe draussen</title>\r\n"
              "</entry>\r\n"_s;
    FeedDocument doc;
    LoadProjectRows(doc, rows(file), languageTexts(), StyleBlock, german());
    QCOMPARE(doc.channel.title, u"Kanal"_s);
    QCOMPARE(doc.channel.number, u"10"_s);
    QCOMPARE(doc.ftp.ftpurl, u"ftp.example.com"_s);
    QCOMPARE(doc.ftp.ftpdir, QString());
    QCOMPARE(doc.entryCount(), 1);
    QCOMPARE(doc.entries.at(1).title, u"Drinnen"_s);
    QCOMPARE(doc.tree.caption(u"root"_s), u"Kanal"_s);
    QCOMPARE(doc.tree.childKeys(u"root"_s), QStringList{u"key1"_s});
}

void TestProject::contentLinesAreUnescaped_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expectedBody");

    QTest::newRow("tags written with brackets") << u"[[p]]x[[/p]]"_s << u"<p>x</p>"_s;
    QTest::newRow("comma escape") << u"a[:bst:]b"_s << u"a,b"_s;
    QTest::newRow("comma escape in capitals") << u"a[:BST:]b"_s << u"a,b"_s;
    QTest::newRow("line break marker is dropped") << u"a[:br:]b"_s << u"ab"_s;
    QTest::newRow("references stay as they are") << u"&#8594; &#233; &#128512;"_s << u"&#8594; &#233; &#128512;"_s;
    QTest::newRow("blanks at the ends are lost") << u"  x y  "_s << u"x y"_s;
    QTest::newRow("tabs are lost") << u"a\tb"_s << u"ab"_s;
    QTest::newRow("bracket left over from a lone bracket") << u"[[[x"_s << u"<[x"_s;
    QTest::newRow("greater-than inside the value stays") << u"a>b"_s << u"a>b"_s;
}

void TestProject::contentLinesAreUnescaped()
{
    QFETCH(QString, stored);
    QFETCH(QString, expectedBody);
    const QString file = Declaration + u"<entries>\r\n"_s
            + group(u"T"_s, u"06.12.2026 09:00:00"_s, u"\t\t<content>"_s + stored + u"</content>\r\n"_s)
            + u"</entries>\r\n"_s;
    FeedDocument doc;
    LoadProjectRows(doc, rows(file), languageTexts(), StyleBlock, german());
    QCOMPARE(doc.entryCount(), 1);
    QCOMPARE(doc.entries.at(1).content, StyleBlock + expectedBody);
}

void TestProject::plainValueReferences_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("arrow comes back") << u"a &#8594; b"_s << u"a \u2192 b"_s;
    QTest::newRow("emoji comes back") << u"&#128512;!"_s << u"\U0001F600!"_s;
    QTest::newRow("first number above 255") << u"&#256;"_s << u"\u0100"_s;
    QTest::newRow("number 255 stays text") << u"&#255;"_s << u"&#255;"_s;
    QTest::newRow("e acute stays text") << u"Caf&#233;"_s << u"Caf&#233;"_s;
    QTest::newRow("without semicolon stays text") << u"a&#8594b"_s << u"a&#8594b"_s;
    QTest::newRow("without digits stays text") << u"&#;"_s << u"&#;"_s;
    QTest::newRow("two in a row") << u"&#8594;&#8592;"_s << u"\u2192\u2190"_s;
}

void TestProject::plainValueReferences()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    const QString file = Declaration + u"<settings>\r\n\t<language>de</language>\r\n\t<description>"_s + stored
            + u"</description>\r\n\t<title>"_s + stored
            + u"</title>\r\n</settings>\r\n<ftpsettings>\r\n"
              "\t<ftpfile>x</ftpfile>\r\n\t<ftpdir>"_s
            + stored + u"</ftpdir>\r\n</ftpsettings>\r\n<entries>\r\n"_s
            + group(stored, u"06.12.2026 09:00:00"_s, u"\t\t<link>"_s + stored + u"</link>\r\n"_s)
            + u"</entries>\r\n"_s;
    FeedDocument doc;
    LoadProjectRows(doc, rows(file), languageTexts(), StyleBlock, german());
    QCOMPARE(doc.channel.title, expected);
    QCOMPARE(doc.channel.description, expected);
    QCOMPARE(doc.ftp.ftpdir, expected);
    QCOMPARE(doc.entryCount(), 1);
    QCOMPARE(doc.entries.at(1).title, expected);
    QCOMPARE(doc.entries.at(1).link, expected);
    QCOMPARE(doc.tree.caption(u"root"_s), expected);
}

void TestProject::projectFileToRead_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    QTest::newRow("name with .rsx is read as it is")
            << u"/home/jane/feeds/news.rsx"_s << u"/home/jane/feeds/news.rsx"_s;
    QTest::newRow("capital .RSX is found") << u"/home/jane/feeds/NEWS.RSX"_s << u"/home/jane/feeds/NEWS.RSX"_s;
    QTest::newRow(".rsx inside the name counts") << u"/f/news.rsx.bak"_s << u"/f/news.rsx.bak"_s;
    // The file chosen is the file read, whatever its name: nothing is appended to it.
    QTest::newRow("name without .rsx is read as it is") << u"/home/jane/feeds/news"_s << u"/home/jane/feeds/news"_s;
    QTest::newRow("name ending in .xml is read as it is") << u"/f/news.xml"_s << u"/f/news.xml"_s;
    QTest::newRow("name without a folder") << u"news"_s << u"news"_s;
}

void TestProject::projectFileToRead()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(Feedsmith::projectFileToRead(path), expected);
}

void TestProject::fileNameDecidesWhatIsRead_data()
{
    QTest::addColumn<QString>("chosenName");
    QTest::addColumn<QString>("fileOnDisk");
    QTest::addColumn<bool>("found");

    QTest::newRow("name without .rsx is read under that name") << u"feed"_s << u"feed"_s << true;
    QTest::newRow("name without .rsx never reads another file") << u"feed"_s << u"feed.xml"_s << false;
    QTest::newRow("capital .RSX is read under that name") << u"FEED.RSX"_s << u"FEED.RSX"_s << true;
    QTest::newRow("project saved as .xml opens again") << u"feed.xml"_s << u"feed.xml"_s << true;
}

void TestProject::fileNameDecidesWhatIsRead()
{
    QFETCH(QString, chosenName);
    QFETCH(QString, fileOnDisk);
    QFETCH(bool, found);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = Declaration + u"<settings>\r\n\t<title>Von der Platte</title>\r\n</settings>\r\n"_s;
    QVERIFY(FeedsmithTest::writeBytes(dir.filePath(fileOnDisk), file.toLatin1()));

    const QString chosen = dir.filePath(chosenName);
    FeedDocument doc;
    const ProjectReadResult result = ReadProjectFile(doc, chosen, programFolder(), languageTexts(), german());
    QCOMPARE(result.fileOpened, found);
    QCOMPARE(doc.channel.title, found ? u"Von der Platte"_s : QString());
    QCOMPARE(doc.projectPath, chosen);
    QCOMPARE(doc.tree.caption(u"root"_s), found ? u"Von der Platte"_s : RootText);
}

void TestProject::missingFileGivesEmptyDocument()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"nicht-da.rsx"_s);

    FeedDocument doc;
    // A document that was open before.
    const QString before = Declaration
            + u"<settings>\r\n\t<title>Alt</title>\r\n\t<number>3</number>\r\n"
              "</settings>\r\n<ftpsettings>\r\n\t<ftpurl>ftp.alt</ftpurl>\r\n"
              "</ftpsettings>\r\n<entries>\r\n"_s
            + group(u"alt"_s, u"06.12.2026 09:00:00"_s) + u"</entries>\r\n"_s;
    LoadProjectRows(doc, rows(before), languageTexts(), StyleBlock, german());
    doc.ftp.ftppassword = u"pw"_s;
    doc.currentEntryKey = u"key1"_s;
    QCOMPARE(doc.entryCount(), 1);

    const ProjectReadResult result = ReadProjectFile(doc, path, programFolder(), languageTexts(), german());
    QVERIFY(!result.fileOpened);
    QCOMPARE(result.entriesRead, 0);
    QVERIFY(doc.channel == ChannelSettings{});
    QCOMPARE(doc.channel.number, u"10"_s);
    QCOMPARE(doc.channel.ttl, u"1440"_s);
    QVERIFY(doc.ftp == FtpSettings{});
    QCOMPARE(doc.entryCount(), 0);
    QCOMPARE(doc.tree.topLevelCount(), 1);
    QCOMPARE(doc.tree.caption(u"root"_s), RootText);
    QCOMPARE(doc.tree.childCount(u"root"_s), 0);
    QVERIFY(!doc.tree.contains(u"key1"_s));
    QCOMPARE(doc.projectPath, path);
    QCOMPARE(doc.currentEntryKey, QString());
    QVERIFY(!QFileInfo::exists(path));
}

void TestProject::oversizedFileIsRefused_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("reason");
    QTest::newRow("file over 256 MB") << MaxProjectBytes + 1 << u"is larger than 256 MB"_s;
    QTest::newRow("line over 64 MB after whole lines")
            << MaxProjectLineBytes * 3 / 2 << u"line 4 is longer than 64 MB"_s;
}

void TestProject::oversizedFileIsRefused()
{
    QFETCH(qint64, size);
    QFETCH(QString, reason);
    // Whole lines, then zero bytes up to the size: a sparse file, which uses no disk.
    QTemporaryDir dir;
    const QString path = dir.filePath(u"big.rsx"_s);
    QVERIFY(FeedsmithTest::writeBytes(path, "<settings>\r\n\t<title>Big</title>\r\n</settings>\r\n"));
    QVERIFY(QFile::resize(path, size));
    QVERIFY2(notAProjectReason(path).contains(reason), qPrintable(notAProjectReason(path)));
    FeedDocument doc;
    const ProjectReadResult result = ReadProjectFile(doc, path, programFolder(), languageTexts(), german());
    QVERIFY(!result.fileOpened);
    QVERIFY2(result.error.contains(reason), qPrintable(result.error));
    QCOMPARE(doc.channel.title, QString()); // nothing of the file is taken
}

void TestProject::withoutRootKeyTextNoTreeNodes()
{
    const QString file = Declaration + u"<settings>\r\n\t<title>Kanal</title>\r\n</settings>\r\n<entries>\r\n"_s
            + group(u"a"_s, u"06.12.2026 09:00:00"_s) + group(u"b"_s, u"06.12.2026 09:01:00"_s)
            + group(u"c"_s, u"06.12.2026 09:02:00"_s) + u"</entries>\r\n"_s;
    FeedDocument doc;
    const ProjectReadResult result = LoadProjectRows(doc, rows(file), languageTexts(false, true), StyleBlock, german());
    QCOMPARE(result.entriesRead, 3);
    QCOMPARE(doc.entryCount(), 3);
    QCOMPARE(doc.entries.at(3).title, u"c"_s);
    QCOMPARE(doc.tree.topLevelCount(), 0);
    QCOMPARE(doc.tree.rowCount(), 0);
    QVERIFY(!doc.tree.contains(u"root"_s));
    QVERIFY(!doc.tree.contains(u"key1"_s));
    QCOMPARE(doc.channel.title, u"Kanal"_s);
}

void TestProject::entryGroupLimit_data()
{
    QTest::addColumn<int>("groups");
    QTest::addColumn<bool>("throughFile");

    QTest::newRow("32767 groups all load") << 32767 << false;
    QTest::newRow("32768 groups leave one out") << 32768 << false;
    QTest::newRow("40000 groups leave 7233 out, read from a file") << 40000 << true;
}

void TestProject::entryGroupLimit()
{
    QFETCH(int, groups);
    QFETCH(bool, throughFile);
    const int limit = 32767;

    // Entry i is created i minutes after a fixed start, so each has its own date.
    const QDateTime start = local(2020, 1, 1, 6, 0, 0);
    auto dateOf = [&](int i) { return start.addSecs(qint64(i) * 60); };
    QString file = Declaration + u"<settings>\r\n\t<title>Viele</title>\r\n</settings>\r\n<entries>\r\n"_s;
    file.reserve(groups * 90);
    for (int i = 1; i <= groups; ++i)
        file += group(u"Eintrag "_s + QString::number(i), dateOf(i).toString(u"dd.MM.yyyy HH:mm:ss"_s));
    file += u"</entries>\r\n"_s;

    FeedDocument doc;
    ProjectReadResult result;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (throughFile) {
        const QString path = dir.filePath(u"viele.rsx"_s);
        QVERIFY(FeedsmithTest::writeBytes(path, file.toLatin1()));
        result = ReadProjectFile(doc, path, programFolder(), languageTexts(), german());
        QVERIFY(result.fileOpened);
    } else {
        result = LoadProjectRows(doc, rows(file), languageTexts(), StyleBlock, german());
    }

    const int loaded = qMin(groups, limit);
    QCOMPARE(result.entriesRead, loaded);
    QCOMPARE(result.entriesLeftOut, groups - loaded);
    QCOMPARE(doc.entryCount(), loaded);
    for (int i = 1; i <= loaded; ++i) {
        const RSSentry &e = doc.entries.at(i);
        if (e.title != u"Eintrag "_s + QString::number(i) || e.createdate != dateOf(i))
            QFAIL(qPrintable(u"entry %1 is not the file's group %1: %2"_s.arg(i).arg(e.title)));
    }
    QCOMPARE(doc.tree.childCount(u"root"_s), loaded);
    const QStringList keys = doc.tree.childKeys(u"root"_s);
    QCOMPARE(keys.size(), loaded);
    QCOMPARE(keys.first(), u"key"_s + QString::number(loaded));
    QCOMPARE(keys.last(), u"key1"_s);
    QVERIFY(!doc.tree.contains(u"key32768"_s));
    QCOMPARE(doc.tree.caption(u"key"_s + QString::number(loaded)),
             dateOf(loaded).toString(u"dd.MM. HH:mm"_s) + u" Eintrag "_s + QString::number(loaded));
    QCOMPARE(doc.tree.caption(u"root"_s), u"Viele"_s);
}

void TestProject::entryGroupWithoutEnd_data()
{
    QTest::addColumn<QString>("entries");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("links");

    const QString date = u"\t\t<date>06.12.2026 09:00:00</date>\r\n"_s;
    QTest::newRow("last group never closed") << u"<entries>\r\n\t<entry>\r\n\t\t<title>Erster</title>\r\n"_s + date
                    + u"\t</entry>\r\n\t<entry>\r\n\t\t<title>Zweiter</title>\r\n"_s + date + u"</entries>\r\n"_s
                                             << QStringList{u"Erster"_s} << QStringList{QString()};
    QTest::newRow("group left open before the next one")
            << u"<entries>\r\n\t<entry>\r\n\t\t<title>Erster</title>\r\n\t\t<link>l1</link>\r\n"_s + date
                    + u"\t<entry>\r\n\t\t<title>Zweiter</title>\r\n"_s + date + u"\t</entry>\r\n</entries>\r\n"_s
            << QStringList{u"Zweiter"_s} << QStringList{QString()};
    // A file cut off keeps the group it ends in, as far as it goes.
    QTest::newRow("file ends inside a group")
            << u"<entries>\r\n\t<entry>\r\n\t\t<title>Erster</title>\r\n"_s + date
                    + u"\t</entry>\r\n\t<entry>\r\n\t\t<title>Zweiter</title>\r\n"_s
            << QStringList{u"Erster"_s, u"Zweiter"_s} << QStringList{QString(), QString()};
    QTest::newRow("closed groups around an open one")
            << u"<entries>\r\n\t<entry>\r\n\t\t<title>A</title>\r\n\t\t<link>la</link>\r\n"_s + date
                    + u"\t</entry>\r\n\t<entry>\r\n\t\t<title>B</title>\r\n\t<entry>\r\n\t\t<title>C</title>\r\n"_s
                    + date + u"\t</entry>\r\n</entries>\r\n"_s
            << QStringList{u"A"_s, u"C"_s} << QStringList{u"la"_s, QString()};
}

void TestProject::entryGroupWithoutEnd()
{
    QFETCH(QString, entries);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, links);

    FeedDocument doc;
    LoadProjectRows(doc, rows(Declaration + entries), languageTexts(), StyleBlock, german());
    QCOMPARE(doc.entryCount(), int(titles.size()));
    QStringList gotTitles;
    QStringList gotLinks;
    for (int i = 1; i <= doc.entryCount(); ++i) {
        gotTitles << doc.entries.at(i).title;
        gotLinks << doc.entries.at(i).link;
    }
    QCOMPARE(gotTitles, titles);
    QCOMPARE(gotLinks, links);
    QCOMPARE(doc.tree.childCount(u"root"_s), int(titles.size()));
}

// ---------------------------------------------------------------------------------------------
// Round trip

// Bodies the code page holds go through the writer as bytes, the others as text; the two routes
// must store the same body.
void TestProject::storedBodyRoutesAgree()
{
    const QString sheet = StyleBlockFor(u"p { margin: 0; }"_s);
    const QString odd = StyleBlockFor(u"p { font-family: \"Gr\u00FC\u00DFe\"; }"_s);
    const QStringList styleBlocks = {sheet, sheet.toUpper(), odd, StyleBlockFor(u"p {\r\n}\r\n"_s),
                                     StyleBlockFor(u"/* <body> ]] */"_s)};
    QRandomGenerator rng(2718u);
    for (int round = 0; round < 4000; ++round) {
        const QString content = FeedsmithTest::randomContent(rng, styleBlocks);
        const QString &styleBlock = styleBlocks.at(round % styleBlocks.size());
        FeedDocument document;
        FeedsmithTest::fillWithBothForms(document, content, styleBlock);
        const QByteArray bytes = BuildProjectFile(document, styleBlock);
        for (int i = 1; i <= document.entryCount(); ++i) {
            const QString text = document.entries.at(i).content.text();
            const QByteArray expected = "<content>" + Windows1252::encode(StoredBody(text, styleBlock)) + "</content>";
            QVERIFY2(bytes.contains(expected), qPrintable(text + u"\n"_s + QString::fromLatin1(bytes)));
        }
    }
}

void TestProject::roundTrip()
{
    const QStringList plainPieces = {
            u"a"_s,      u"Z"_s,          u"0"_s,      u"x y"_s,    u" "_s,      u"  "_s,     u"\t"_s,     u"<"_s,
            u">"_s,      u","_s,          u"\u00e4"_s, u"\u00d6"_s, u"\u00df"_s, u"\u00e9"_s, u"\u20ac"_s, u"\u00bd"_s,
            u"\u00a0"_s, u"\U0001F600"_s, u"\u2192"_s, u"[:br:]"_s, u"[:BR:]"_s, u"\r\n"_s,   u"\n"_s,     u"\r"_s,
            u"&"_s,      u"&#8594;"_s,    u"&#233;"_s, u"[["_s,     u"]]"_s,
    };
    const QStringList bodyPieces = {
            u"<p>"_s,
            u"</p>"_s,
            u"<b>"_s,
            u"</b>"_s,
            u"<a href=\"x\">"_s,
            u"text"_s,
            u" "_s,
            u"\t"_s,
            u","_s,
            u"\r\n"_s,
            u"\n"_s,
            u"[["_s,
            u"]]"_s,
            u"["_s,
            u"]"_s,
            u"[:br:]"_s,
            u"[:bst:]"_s,
            u"\u00e4"_s,
            u"\u00c4"_s,
            u"\u00d6"_s,
            u"\u00df"_s,
            u"\u00e9"_s,
            u"\u20ac"_s,
            u"\u00bd"_s,
            u"\u2019"_s,
            u"\u2013"_s,
            u"\u00a0"_s,
            u"\U0001F600"_s,
            u"\u2192"_s,
            u"&amp;"_s,
            u"{STYLE}"_s,
            u"{STYLEUPPER}"_s,
    };
    // Every upper-half character the bodies use has its replacement in the model's table.
    for (const QString &piece : bodyPieces) {
        for (const QChar c : piece) {
            if (Model::codePageUpperHalf(c.unicode()))
                QVERIFY2(Model::transliterations().contains(c), qPrintable(piece));
        }
    }

    QRandomGenerator rng(20261206);
    auto pick = [&](const QStringList &pieces, int most) {
        QString s;
        const int n = int(rng.bounded(most + 1));
        for (int i = 0; i < n; ++i)
            s += pieces.at(int(rng.bounded(int(pieces.size()))));
        return s;
    };
    auto plain = [&] { return rng.bounded(4) == 0 ? QString() : pick(plainPieces, 8); };
    auto bodyText = [&] {
        QString b = pick(bodyPieces, 12);
        b.replace(u"{STYLEUPPER}"_s, StyleBlock.toUpper());
        b.replace(u"{STYLE}"_s, StyleBlock);
        return b;
    };
    auto contentText = [&] {
        switch (rng.bounded(5)) {
        case 0: return QString();
        case 1: return bodyText();
        case 2: return StyleBlock + bodyText();
        case 3: return u"<html><head>"_s + StyleBlock + u"</head><body>"_s + bodyText() + u"</body></html>"_s;
        default: return u"<HTML><BODY>"_s + bodyText() + u"</BODY></HTML>"_s;
        }
    };
    static const int hours[] = {0, 1, 4, 5, 6, 9, 10, 11, 12, 13, 17, 19, 22, 23};
    auto dateValue = [&] {
        const int kind = int(rng.bounded(10));
        const QTime time(hours[rng.bounded(int(std::size(hours)))], int(rng.bounded(60)), int(rng.bounded(60)));
        if (kind == 0)
            return zero();
        if (kind == 1)
            return QDateTime(zero().date(), time);
        const QDate date(1990 + int(rng.bounded(46)), 1 + int(rng.bounded(12)), 1 + int(rng.bounded(28)));
        if (kind == 2)
            return QDateTime(date, QTime(0, 0));
        return QDateTime(date, time);
    };

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"runde.rsx"_s);

    for (int docNo = 0; docNo < 300; ++docNo) {
        FeedDocument doc;
        NewDocument(doc);
        for (const ChannelTag &field : channelTags())
            doc.channel.*field.member = plain();
        doc.channel.category.remove(u'\n'); // a line break would start a second category
        for (QString FtpSettings::*member : storedFtpMembers())
            doc.ftp.*member = plain();
        doc.ftp.ftppassword = plain();
        const int entryCount = int(rng.bounded(6));
        for (int i = 0; i < entryCount; ++i)
            doc.entries.append(makeEntry(plain(), plain(), contentText(), dateValue()));

        QString error;
        QVERIFY2(WriteProjectFile(doc, path, programFolder(), &error), qPrintable(error));
        // Opened on a machine with other regional settings, under any of them.
        static const QList<QLocale> readers = {german(), american(), QLocale(u"en_AU"_s), QLocale(u"ja_JP"_s),
                                               QLocale::c()};
        const QLocale readingLocale = readers.at(docNo % readers.size());
        FeedDocument back;
        const ProjectReadResult result = ReadProjectFile(back, path, programFolder(), languageTexts(), readingLocale);
        QVERIFY(result.fileOpened);
        const QString where = u"document %1"_s.arg(docNo);

        // Channel: an empty field is not written and keeps the new document's default.
        ChannelSettings defaults;
        bool firstInBlock = true;
        for (const ChannelTag &field : channelTags()) {
            const QString &original = doc.channel.*field.member;
            QString expected = defaults.*field.member;
            if (!original.isEmpty()) {
                expected = Model::plainValue(original, firstInBlock ? 1 : 0);
                firstInBlock = false;
            }
            if (back.channel.*field.member != expected)
                qWarning("%s, channel field %s, written as %s", qPrintable(where), qPrintable(field.tag),
                         shown(original).constData());
            QCOMPARE(back.channel.*field.member, expected);
        }
        firstInBlock = true;
        for (QString FtpSettings::*member : storedFtpMembers()) {
            const QString &original = doc.ftp.*member;
            QString expected;
            if (!original.isEmpty()) {
                expected = Model::plainValue(original, firstInBlock ? 1 : 0);
                firstInBlock = false;
            }
            if (back.ftp.*member != expected)
                qWarning("%s, FTP field written as %s", qPrintable(where), shown(original).constData());
            QCOMPARE(back.ftp.*member, expected);
        }
        QCOMPARE(back.ftp.ftppassword, QString());

        // Entries, in key order, and their nodes newest first.
        QCOMPARE(back.entryCount(), entryCount);
        QStringList expectedKeys;
        for (int i = entryCount; i >= 1; --i)
            expectedKeys << u"key"_s + QString::number(i);
        QCOMPARE(back.tree.childKeys(u"root"_s), expectedKeys);
        for (int i = 1; i <= entryCount; ++i) {
            const RSSentry &original = doc.entries.at(i);
            const RSSentry &read = back.entries.at(i);
            // The first line of a group follows the line "<entry>", whose indentation it carries.
            const int titleTabs = 2;
            const int linkTabs = original.title.isEmpty() ? 2 : 0;
            const int contentTabs = original.title.isEmpty() && original.link.isEmpty() ? 2 : 0;

            const QString title = original.title.isEmpty() ? QString() : Model::plainValue(original.title, titleTabs);
            const QString link = original.link.isEmpty() ? QString() : Model::plainValue(original.link, linkTabs);
            const QString content = Model::content(original.content.text(), StyleBlock, contentTabs);
            if (read.title != title || read.link != link || read.content != content
                || read.createdate != original.createdate)
                qWarning("%s, entry key%d: title %s, link %s, content %s", qPrintable(where), i,
                         shown(original.title).constData(), shown(original.link).constData(),
                         shown(original.content.text()).constData());
            QCOMPARE(read.title, title);
            QCOMPARE(read.link, link);
            QCOMPARE(read.content, content);
            QCOMPARE(read.createdate, original.createdate);
            QCOMPARE(back.tree.caption(u"key"_s + QString::number(i)),
                     original.createdate.toString(u"dd.MM. HH:mm"_s) + u' ' + (title.isEmpty() ? NewEntryText : title));
        }
        const QString channelTitle = back.channel.title;
        QCOMPARE(back.tree.caption(u"root"_s), channelTitle.isEmpty() ? RootText : channelTitle);

        // Saved again, opened under the next locale and saved once more: the same bytes.
        const QString second = dir.filePath(u"zweite.rsx"_s);
        QVERIFY2(WriteProjectFile(back, second, programFolder(), &error), qPrintable(error));
        FeedDocument again;
        ReadProjectFile(again, second, programFolder(), languageTexts(), readers.at((docNo + 1) % readers.size()));
        const QByteArray third = BuildProjectFile(again, StyleBlock);
        const QByteArray secondBytes = FeedsmithTest::readBytes(second);
        if (third != secondBytes) {
            qsizetype at = 0;
            while (at < third.size() && at < secondBytes.size() && third[at] == secondBytes[at])
                ++at;
            qWarning("%s: saves differ at %lld: %s | %s", qPrintable(where), qlonglong(at),
                     third.mid(std::max<qsizetype>(0, at - 60), 120).toPercentEncoding(" <>/").constData(),
                     secondBytes.mid(std::max<qsizetype>(0, at - 60), 120).toPercentEncoding(" <>/").constData());
        }
        QCOMPARE(third, secondBytes);
    }
}

void TestProject::earlierFilesReadAsBefore_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("form"); // how the bytes are changed before reading
    QTest::addColumn<QString>("channelTitle");
    QTest::addColumn<QDateTime>("firstDate");
    QTest::addColumn<QDateTime>("secondDate");

    const QString grusse = u"Gr\u00fc\u00dfe aus K\u00f6ln"_s;
    const QDateTime evening = local(2026, 12, 6, 19, 41, 29);
    QTest::newRow("German file on a German machine")
            << u"earlier-german.rsx"_s << german() << u"as written"_s << grusse << evening << local(2026, 12, 7);
    QTest::newRow("German file on a US machine")
            << u"earlier-german.rsx"_s << american() << u"as written"_s << grusse << evening << local(2026, 12, 7);
    QTest::newRow("German file with LF line ends")
            << u"earlier-german.rsx"_s << german() << u"LF"_s << grusse << evening << local(2026, 12, 7);
    QTest::newRow("German file with mixed line ends")
            << u"earlier-german.rsx"_s << german() << u"mixed"_s << grusse << evening << local(2026, 12, 7);
    QTest::newRow("German file in UTF-8")
            << u"earlier-german.rsx"_s << german() << u"UTF-8"_s << grusse << evening << local(2026, 12, 7);
    QTest::newRow("US file on a US machine")
            << u"earlier-us.rsx"_s << american() << u"as written"_s << u"News &amp; more"_s << evening << zero();
    QTest::newRow("US file under the C locale")
            << u"earlier-us.rsx"_s << QLocale::c() << u"LF"_s << u"News &amp; more"_s << evening << zero();
}

void TestProject::earlierFilesReadAsBefore()
{
    QFETCH(QString, file);
    QFETCH(QLocale, locale);
    QFETCH(QString, form);
    QByteArray bytes = FeedsmithTest::readBytes(QStringLiteral(FEEDSMITH_TEST_DATA) + u'/' + file);
    QVERIFY(!bytes.isEmpty());
    if (form == "LF"_L1) {
        bytes.replace("\r\n", "\n");
    } else if (form == "mixed"_L1) {
        // Every line end of a kind in turn: LF, CR LF, a lone CR.
        const QList<QByteArray> lines = bytes.split('\n');
        static const char *ends[] = {"\n", "\r\n", "\r"};
        bytes.clear();
        for (qsizetype i = 0; i < lines.size(); ++i)
            bytes +=
                    lines.at(i).chopped(lines.at(i).endsWith('\r') ? 1 : 0) + (i + 1 < lines.size() ? ends[i % 3] : "");
    } else if (form == "UTF-8"_L1) {
        bytes = Windows1252::decode(bytes).toUtf8();
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"p.rsx"_s);
    QVERIFY(FeedsmithTest::writeBytes(path, bytes));

    FeedDocument doc;
    const ProjectReadResult result = ReadProjectFile(doc, path, programFolder(), languageTexts(), locale);
    QVERIFY(result.isProject);
    QTEST(doc.channel.title, "channelTitle");
    QCOMPARE(doc.entryCount(), 2);
    QTEST(doc.entries.at(1).createdate, "firstDate");
    QTEST(doc.entries.at(2).createdate, "secondDate");
    if (file == "earlier-german.rsx"_L1) {
        QCOMPARE(doc.entries.at(1).title, u"Pfeil \u2192 rechts"_s);
        QCOMPARE(doc.entries.at(1).content, StyleBlock + u"<p>Erster, Eintrag mit \u00dcmlaut</p>"_s);
        QCOMPARE(doc.ftp.ftpurl, u"ftp.example.org"_s);
    }
}

// What was typed is saved, opened and generated as it was: accented letters (in a project that
// keeps them), bytes that would also make UTF-8, text that looks like the file's escapes, and
// values of one line.
void TestProject::exactTextThroughSaveOpenAndGenerate_data()
{
    // "body", "title" (of the entry), "channel" (title), or "unmarked": a file of an earlier
    // version holding the stored bytes as its channel title, which is UTF-8 only when its bytes
    // could hardly be anything else.
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("keepAccents");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("stored"); // the value in the project file
    QTest::addColumn<QString>("readBack");
    QTest::addColumn<QByteArray>("published"); // in the RSS file

    const QString grusse = u"Gr\u00fc\u00dfe \u20ac"_s;
    QTest::newRow("body with letters kept") << u"body"_s << true << grusse
                                            << "Gr\xfc\xdf"
                                               "e \x80"_ba
                                            << grusse << "Gr&#252;&#223;e &#8364;"_ba;
    QTest::newRow("body of a project without the key is transliterated")
            << u"body"_s << false << u"f\u00fcr K\u00f6ln"_s << "fuer Koeln"_ba << u"fuer Koeln"_s << "fuer Koeln"_ba;
    QTest::newRow("body beyond the code page, as references")
            << u"body"_s << true << u"a \u2192 \U0001F600"_s << "a &#8594; &#128512;"_ba << u"a &#8594; &#128512;"_s
            << "a &#8594; &#128512;"_ba;
    QTest::newRow("channel title whose bytes are UTF-8 too")
            << u"channel"_s << true << u"Mix 2\u00d7\u00bd"_s << "Mix 2\xd7\xbd"_ba << u"Mix 2\u00d7\u00bd"_s
            << "Mix 2&#215;&#189;"_ba;
    QTest::newRow("body of double brackets")
            << u"body"_s << true << u"[[double brackets]]"_s << "&#91;[double brackets&#93;]"_ba
            << u"[[double brackets]]"_s << "<![CDATA[[[double brackets]]]]></description>"_ba;
    QTest::newRow("body with the line break escape") << u"body"_s << true << u"a [:br:] b"_s << "a &#91;:br:] b"_ba
                                                     << u"a [:br:] b"_s << "CDATA[a [:br:] b]]"_ba;
    QTest::newRow("body with the comma escape")
            << u"body"_s << true << u"x [:bst:] y, z"_s << "x &#91;:bst:] y[:bst:] z"_ba << u"x [:bst:] y, z"_s
            << "CDATA[x [:bst:] y, z]]"_ba;
    QTest::newRow("body with the writer's own references as text")
            << u"body"_s << false << u"&#91;&#38;#9;\t"_s << "&#38;#91;&#38;#38;#9;&#9;"_ba << u"&#91;&#38;#9;\t"_s
            << "CDATA[&#91;&#38;#9;\t]]"_ba;
    QTest::newRow("title with the line break escape")
            << u"title"_s << false << u"Use [:br:] for a break"_s << "Use &#91;:br:] for a break"_ba
            << u"Use [:br:] for a break"_s << "<title>Use [:br:] for a break</title>"_ba;
    QTest::newRow("unmarked, an unassigned code point in UTF-8")
            << u"unmarked"_s << true << QString() << "2\xd7\xbd"_ba << u"2\u00d7\u00bd"_s << "2&#215;&#189;"_ba;
    QTest::newRow("unmarked, a C1 control in UTF-8")
            << u"unmarked"_s << true << QString() << "\xc2\x80"_ba << u"\u00c2\u20ac"_s << "&#194;&#8364;"_ba;
    QTest::newRow("title with line breaks that reached it")
            << u"title"_s << false << u"\rone\r\ntwo\nthree"_s << "&#32;one two three"_ba << u" one two three"_s
            << "<title> one two three</title>"_ba;
}

void TestProject::exactTextThroughSaveOpenAndGenerate()
{
    QFETCH(QString, field);
    QFETCH(bool, keepAccents);
    QFETCH(QString, typed);
    FeedDocument doc;
    NewDocument(doc);
    doc.channel.keepaccents = keepAccents ? u"1"_s : QString();
    RSSentry entry = makeEntry(u"t"_s, {}, {}, local(2026, 12, 6, 19, 41, 29));
    if (field == "body"_L1)
        entry.content = u"<html><head>"_s + StyleBlock + u"</head><body>"_s + typed + u"</body></html>"_s;
    else if (field == "title"_L1)
        entry.title = typed;
    else
        doc.channel.title = typed;
    doc.entries.append(entry);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"p.rsx"_s);
    QString error;
    QFETCH(QByteArray, stored);
    if (field == "unmarked"_L1)
        QVERIFY(FeedsmithTest::writeBytes(path,
                                          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<settings>\r\n\t<title>"
                                                  + stored
                                                  + "</title>\r\n\t<keepaccents>1</keepaccents>\r\n</settings>\r\n"));
    else
        QVERIFY2(WriteProjectFile(doc, path, programFolder(), &error), qPrintable(error));
    const QByteArray file = FeedsmithTest::readBytes(path);
    const QByteArray tag = field == "body"_L1 ? "content" : "title";
    QVERIFY2(file.contains('<' + tag + '>' + stored + "</" + tag + ">\r\n"), file.constData());

    FeedDocument back;
    QVERIFY(ReadProjectFile(back, path, programFolder(), languageTexts(), german()).fileOpened);
    QFETCH(QString, readBack);
    if (field == "body"_L1)
        QCOMPARE(back.entries.at(1).content.text(), StyleBlock + readBack);
    else
        QCOMPARE(field == "title"_L1 ? back.entries.at(1).title : back.channel.title, readBack);
    QFETCH(QByteArray, published);
    const QByteArray rss = BuildRssFile(back, StyleBlock, local(2026, 12, 7));
    QVERIFY2(rss.contains(published), rss.constData());
    // The preview shows it as it reads back.
    const QString page =
            BuildPreviewPage(back, back.entryCount(), u"{TITLE}|{DESCRIPTION}"_s, u"{TITLE}{ENTRIES}"_s, StyleBlock);
    QVERIFY2(page.contains(readBack), qPrintable(page));
}

// Every field of the entry field table: stored in the project only when set, read back the same,
// written to the feed in its form.
void TestProject::fieldsTravel_data()
{
    QTest::addColumn<QString>("key"); // an entry field's, else (or after "channel.") a channel field's
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("stored"); // its lines in the project file
    QTest::addColumn<QByteArray>("feed"); // in the feed, which an import reads back; empty: nothing of it
    QTest::addColumn<QStringList>("also"); // other fields set, "key=value" ("key" alone for "1")
    QTest::newRow("author with an address")
            << u"author"_s << u"jane@example.org (Jane)"_s << "<author>jane@example.org (Jane)</author>"_ba
            << "<author>jane@example.org (Jane)</author>"_ba << QStringList();
    QTest::newRow("author by name") << u"author"_s << u"Jane D\u00f6e"_s
                                    << "<author>Jane D\xf6"
                                       "e</author>"_ba
                                    << "<dc:creator>Jane D&#246;e</dc:creator>"_ba << QStringList();
    QTest::newRow("categories") << u"category"_s << u"news\n[:br:]"_s
                                << "<category>news</category>\r\n\t\t<category>&#91;:br:]</category>"_ba
                                << "<category>news</category>\r\n\t\t<category>[:br:]</category>"_ba << QStringList();
    QTest::newRow("category with a domain")
            << u"category"_s << u"MSFT\thttp://www.fool.com/cusips"_s
            << "<category>MSFT&#9;http://www.fool.com/cusips</category>"_ba
            << "<category domain=\"http://www.fool.com/cusips\">MSFT</category>"_ba << QStringList();
    QTest::newRow("comments") << u"comments"_s << u"https://e.org/?a=1&b"_s
                              << "<comments>https://e.org/?a=1&b</comments>"_ba
                              << "<comments>https://e.org/?a=1&amp;b</comments>"_ba << QStringList();
    QTest::newRow("enclosure without length")
            << u"enclosure"_s << u"https://e.org/a b.mp3"_s << "<enclosure>https://e.org/a b.mp3</enclosure>"_ba
            << "<enclosure url=\"https://e.org/a b.mp3\" length=\"0\" type=\"\" />"_ba << QStringList();
    QTest::newRow("stored ID") << u"guid"_s << u"urn:uuid:1"_s << "<guid>urn:uuid:1</guid>"_ba
                               << "<guid isPermaLink=\"false\">urn:uuid:1</guid>"_ba << QStringList();
    QTest::newRow("local enclosure file")
            << u"enclosurefile"_s << u"/m/a.mp3"_s << "<enclosurefile>/m/a.mp3</enclosurefile>"_ba << QByteArray()
            << QStringList();
    QTest::newRow("episode outside a podcast")
            << u"episode"_s << u"3"_s << "<episode>3</episode>"_ba << QByteArray() << QStringList();

    // A podcast's episode and show.
    const QStringList episode = {u"podcast"_s, u"podcastcategory=News"_s, u"enclosure=https://e.org/1.mp3"_s};
    QTest::newRow("episode title") << u"episodetitle"_s << u"Rye & spelt"_s
                                   << "<episodetitle>Rye & spelt</episodetitle>"_ba
                                   << "<itunes:title>Rye &amp; spelt</itunes:title>"_ba << episode;
    QTest::newRow("episode kept out of directories") << u"block"_s << u"1"_s << "<block>1</block>"_ba
                                                     << "<itunes:block>Yes</itunes:block>"_ba << episode;
    QTest::newRow("transcripts, the second without a language")
            << u"transcript"_s << u"https://e.org/12.vtt text/vtt en\nhttps://e.org/12.srt application/x-subrip"_s
            << "<transcript>https://e.org/12.vtt text/vtt en</transcript>\r\n"
               "\t\t<transcript>https://e.org/12.srt application/x-subrip</transcript>"_ba
            << "<podcast:transcript url=\"https://e.org/12.vtt\" type=\"text/vtt\" language=\"en\" />\r\n"
               "\t\t<podcast:transcript url=\"https://e.org/12.srt\" type=\"application/x-subrip\" />"_ba
            << episode;
    QTest::newRow("people of an episode, one without a group")
            << u"person"_s << u"Jane Doe\thost\t\thttps://e.org/j.jpg\nJohn Roe"_s
            << "<person>Jane Doe&#9;host&#9;&#9;https://e.org/j.jpg</person>\r\n\t\t<person>John Roe</person>"_ba
            << "<podcast:person role=\"host\" img=\"https://e.org/j.jpg\">Jane Doe</podcast:person>\r\n"
               "\t\t<podcast:person>John Roe</podcast:person>"_ba
            << episode;
    QTest::newRow("channel categories with a domain")
            << u"channel.category"_s << u"Software\nSports\thttps://e.org/topics"_s
            << "<category>Software</category>\r\n\t<category>Sports&#9;https://e.org/topics</category>"_ba
            << "<category>Software</category>\r\n\t<category domain=\"https://e.org/topics\">Sports</category>"_ba
            << QStringList();
    QTest::newRow("third podcast category's subcategory")
            << u"podcastsubcategory3"_s << u"Hobbies"_s << "<podcastsubcategory3>Hobbies</podcastsubcategory3>"_ba
            << "<itunes:category text=\"Leisure\">\r\n\t\t<itunes:category text=\"Hobbies\" />"_ba
            << episode + QStringList{u"podcastcategory2=Arts"_s, u"podcastcategory3=Leisure"_s};
    QTest::newRow("show complete") << u"podcastcomplete"_s << u"1"_s << "<podcastcomplete>1</podcastcomplete>"_ba
                                   << "<itunes:complete>Yes</itunes:complete>"_ba << episode;
    QTest::newRow("owner of a show not locked")
            << u"podcastlockowner"_s << u"ann@e.org"_s << "<podcastlockowner>ann@e.org</podcastlockowner>"_ba
            << "<podcast:locked owner=\"ann@e.org\">no</podcast:locked>"_ba << episode;
    QTest::newRow("funding, the second without a text")
            << u"podcastfunding"_s << u"https://e.org/give Support the show\nhttps://e.org/club"_s
            << "<podcastfunding>https://e.org/give Support the show</podcastfunding>\r\n"
               "\t<podcastfunding>https://e.org/club</podcastfunding>"_ba
            << "<podcast:funding url=\"https://e.org/give\">Support the show</podcast:funding>\r\n"
               "\t<podcast:funding url=\"https://e.org/club\"></podcast:funding>"_ba
            << episode;
    QTest::newRow("people of the show")
            << u"podcastperson"_s << u"Ann Example\thost\tcast\t\thttps://e.org/ann"_s
            << "<podcastperson>Ann Example&#9;host&#9;cast&#9;&#9;https://e.org/ann</podcastperson>"_ba
            << "<podcast:person role=\"host\" group=\"cast\" "
               "href=\"https://e.org/ann\">Ann Example</podcast:person>"_ba
            << episode;
}

void TestProject::fieldsTravel()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, feed);
    QFETCH(QStringList, also);
    // The field of a key in a document and its first entry.
    const auto valueOf = [](FeedDocument &document, const QString &name) -> QString & {
        const EntryField *field = name.startsWith("channel."_L1) ? nullptr : entryField(name);
        return field ? field->value(document.entries.at(1)) : documentField(name.section(u'.', -1))->value(document);
    };
    FeedDocument doc;
    NewProject(doc);
    doc.entries.append(makeEntry(u"T"_s, {}, {}, local(2026, 12, 7)));
    for (const QString &change : also + QStringList{key + u'=' + value})
        valueOf(doc, change.section(u'=', 0, 0)) = change.contains(u'=') ? change.section(u'=', 1) : u"1"_s;
    const QByteArray bytes = BuildProjectFile(doc, StyleBlock);
    // An entry's field ends its entry; a channel's stands in the settings.
    const bool entryKey = !key.startsWith("channel."_L1) && entryField(key);
    QVERIFY2(entryKey ? entriesSection(bytes).contains("\t\t" + stored + "\r\n\t</entry>")
                      : bytes.left(bytes.indexOf("</settings>")).contains("\r\n\t" + stored + "\r\n"),
             bytes.constData());
    FeedDocument back;
    LoadProjectRows(back, rows(Windows1252::decode(bytes)), languageTexts(), StyleBlock, QLocale::c());
    QCOMPARE(back.entries.at(1), doc.entries.at(1));
    QCOMPARE(back.channel, doc.channel);
    const QByteArray rss = BuildRssFile(back, StyleBlock, local(2026, 12, 7));
    // A namespace is declared where its tags are used, and only there.
    QCOMPARE(rss.contains("xmlns:podcast="), rss.contains("<podcast:"));
    if (feed.isEmpty()) {
        QVERIFY2(!rss.contains(value.toUtf8()), rss.constData());
        return;
    }
    QVERIFY2(rss.contains("\t" + feed + "\r\n"), rss.constData());
    // An import of the feed gives the field back as it was.
    ImportedFeed imported;
    QString error;
    QVERIFY2(ParseFeed(rss, local(2026, 12, 8), &imported, &error), qPrintable(error));
    FeedDocument again;
    again.channel = imported.channel;
    again.entries.append(imported.items.value(0));
    QCOMPARE(valueOf(again, key), value);
}

// Entries of one second, identified by their dates: the IDs they had when the project was opened
// stay theirs through a reorder and the delete of another entry.
void TestProject::datedIdsStayWithTheirEntries()
{
    QString file =
            u"<settings>\r\n\t<link>https://e.org/</link>\r\n\t<itemids>1</itemids>\r\n</settings>\r\n<entries>\r\n"_s;
    for (const char *title : {"A", "B", "C"})
        file += u"\t<entry>\r\n\t\t<title>%1</title>\r\n\t\t<date>07.12.2026 10:00:00</date>\r\n\t</entry>\r\n"_s.arg(
                QLatin1StringView(title));
    FeedDocument doc;
    LoadProjectRows(doc, rows(file + u"</entries>\r\n"_s), languageTexts(), StyleBlock, german());
    QVERIFY(doc.tree.moveEntry(3, 1) && DeleteEntry(doc, u"key3"_s));
    const QByteArray rss = BuildRssFile(doc, StyleBlock, local(2026, 12, 7));
    for (const auto &[title, suffix] : {std::pair{"C", "-3"}, {"A", ""}}) {
        const QByteArray item = QByteArray("<title>") + title
                + "</title>\r\n\t\t<pubDate>Mon, 07 Dec 2026 10:00:00 +0100</pubDate>\r\n\t\t<guid "
                  "isPermaLink=\"false\">https://e.org/#2026-12-07T10:00:00"
                + suffix + "</guid>";
        QVERIFY2(rss.contains(item), rss.constData());
    }
}

QTEST_GUILESS_MAIN(TestProject)
#include "tst_project.moc"

// Tests of start-up: language files, the program settings file, the marker file and the language choice.
#include "core/document/entryfields.h"
#include "core/locale/keyedtexts.h"
#include "core/locale/languagefile.h"
#include "core/locale/programsettings.h"
#include "core/locale/spelling.h"
#include "core/project/recovery.h"
#include "core/startup/startup.h"
#include "core/text/markupreader.h"

#include "testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QStandardPaths>
#include <QtTest>

#include <algorithm>

using namespace Feedsmith;
using namespace Qt::StringLiterals;

namespace {

LanguageTexts applyText(const QString &text)
{
    return ApplyLanguageFile(ParseMarkup(text));
}

// A language file: the declaration, the strings element around the given groups.
QString languageFile(const QString &groups)
{
    return u"<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<strings>\r\n"_s + groups + u"</strings>\r\n"_s;
}

// One group; a first line "<first>1</first>" keeps the lines under test away from the group's
// start tag, whose line leaves the reader inside a value.
QString groupOf(const QString &type, const QString &lines)
{
    return u"<group type=\""_s + type + u"\">\r\n\t<first>1</first>\r\n"_s + lines + u"</group>\r\n"_s;
}

QString settingsFile(const QString &lines)
{
    return u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"_s + lines;
}

// The keys and texts of a table as "key=text", sorted.
QStringList pairs(const KeyedTexts &table)
{
    QStringList out;
    for (const QString &key : table.keys())
        out << key + u'=' + table.value(key);
    out.sort();
    return out;
}

// A small language file of our own whose texts name the language they belong to.
QByteArray ownLanguageFile(const QString &code)
{
    const QString file = languageFile(u"<group type=\"menu\">\r\n\t<open>open "_s + code
                                      + u"</open>\r\n</group>\r\n"
                                        "<group type=\"text\">\r\n\t<rootkey>root "_s
                                      + code
                                      + u"</rootkey>\r\n"
                                        "\t<newentry>entry "_s
                                      + code + u"</newentry>\r\n</group>\r\n"_s);
    return file.toLatin1();
}

// A program folder with the shipped files, then our own English and German language files.
bool makeProgramFolder(const QTemporaryDir &dir)
{
    return dir.isValid() && FeedsmithTest::copyProgramFiles(dir.path())
            && FeedsmithTest::writeBytes(dir.filePath(u"language-en.xml"_s), ownLanguageFile(u"en"_s))
            && FeedsmithTest::writeBytes(dir.filePath(u"language-de.xml"_s), ownLanguageFile(u"de"_s));
}

const QStringList TextKeys = {u"new"_s,          u"open"_s,        u"save"_s,           u"genrss"_s,
                              u"bold"_s,         u"italic"_s,      u"underline"_s,      u"link"_s,
                              u"rootkey"_s,      u"newentry"_s,    u"deleteentryname"_s, u"createdon"_s,
                              u"lastmodified"_s, u"uploadready"_s, u"missingpassword"_s};

const QStringList HelpKeys = {u"title"_s,       u"link"_s,        u"description"_s,    u"language"_s,  u"category"_s,
                              u"ttl"_s,         u"number"_s,      u"managingeditor"_s, u"webmaster"_s, u"imageurl"_s,
                              u"imagetitle"_s,  u"imagelink"_s,   u"ftpfile"_s,        u"ftpurl"_s,    u"ftpdir"_s,
                              u"ftpusername"_s, u"ftppassword"_s, u"ftpproxy"_s};

// The design-time captions of the main window that the caption groups match.
const QList<std::pair<QString, QStringList>> CaptionKeys = {
        {u"menu"_s,
         {u"file"_s, u"new"_s, u"open"_s, u"save"_s, u"saveas"_s, u"genrss"_s, u"exit"_s, u"?"_s, u"about"_s, u"-"_s,
          u"edit"_s, u"view"_s, u"openrecent"_s, u"shortcuts"_s, u"copyfeedaddress"_s}},
        {u"label"_s, {u"title"_s,       u"link"_s,           u"description"_s, u"language"_s,     u"category"_s,
                      u"ttl"_s,         u"imageurl"_s,       u"imagetitle"_s,  u"imagelink"_s,    u"number"_s,
                      u"webmaster"_s,   u"managingeditor"_s, u"ftpfile"_s,     u"ftpurl"_s,       u"ftpdir"_s,
                      u"ftpusername"_s, u"ftppassword"_s,    u"ftpproxy"_s,    u"contenttitle"_s, u"contentlink"_s,
                      u"createinfo"_s}},
        {u"frame"_s,
         {u"basic"_s, u"additional"_s, u"image"_s, u"help"_s, u"ftphelp"_s, u"Frame1"_s, u"freSettings"_s,
          u"freContents"_s, u"frePreview"_s, u"freFTP"_s}},
        {u"button"_s, {u"newentry"_s, u"deleteentry"_s, u"pasteAsText"_s, u"ftpgenfile"_s, u"ftpupload"_s}},
        {u"tab"_s, {u"settings"_s, u"contents"_s, u"preview"_s, u"ftp"_s}},
};

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    // Language files
    void captionLinesKeepFileOrder();
    void languageFileIsReadAsAnsi();
    void textKeysIgnoreCase_data();
    void textKeysIgnoreCase();
    void textValues_data();
    void textValues();
    void helpValues_data();
    void helpValues();
    void blankLineStopsProcessing();
    void groupStartTag_data();
    void groupStartTag();
    void duplicateKeyKeepsFirst();
    void linesOutsideGroups_data();
    void linesOutsideGroups();
    void shippedLanguageFiles_data();
    void shippedLanguageFiles();

    // Program settings
    void programSettings_data();
    void programSettings();
    void programSettingsFromTheProgramFolder();

    // Start-up
    void languageAndMarker_data();
    void languageAndMarker();
    void languageFileHoldingMinusOne_data();
    void languageFileHoldingMinusOne();
    void noLanguageFileAtAll();
    void spellingDictionary_data();
    void spellingDictionary();
    void settingsAreLoadedAtStartup();
    void userConfigFolderWins();
    void oldConfigFolderMovesOnce_data();
    void oldConfigFolderMovesOnce();
    void recoveryCopiesOffered_data();
    void recoveryCopiesOffered();
};

// ---------------------------------------------------------------------------------------------
// Language files

void TestStartup::captionLinesKeepFileOrder()
{
    const QString file = languageFile(
            u"<group type=\"menu\">\r\n\t<open>\u00d6ffnen</open>\r\n\t<file>Datei</file>\r\n</group>\r\n"
            "<group type=\"label\">\r\n\t<category>Kategorie</category>\r\n\t<Title>Gross</Title>\r\n</group>\r\n"
            "<group type=\"frame\">\r\n\t<basic>Grunddaten</basic>\r\n</group>\r\n"
            "<group type=\"button\">\r\n\t<newentry>Neuer Eintrag</newentry>\r\n</group>\r\n"
            "<group type=\"tab\">\r\n\t<settings>Einstellungen</settings>\r\n\t<ftp>FTP</ftp>\r\n</group>\r\n"
            "<group type=\"text\">\r\n\t<open>Projekt \u00f6ffnen</open>\r\n</group>\r\n"_s);
    const LanguageTexts texts = applyText(file);

    const QList<CaptionLine> expected = {
            {u"menu"_s, u"open"_s, u"\u00d6ffnen"_s},      {u"menu"_s, u"file"_s, u"Datei"_s},
            {u"label"_s, u"category"_s, u"Kategorie"_s},   {u"label"_s, u"Title"_s, u"Gross"_s},
            {u"frame"_s, u"basic"_s, u"Grunddaten"_s},     {u"button"_s, u"newentry"_s, u"Neuer Eintrag"_s},
            {u"tab"_s, u"settings"_s, u"Einstellungen"_s}, {u"tab"_s, u"ftp"_s, u"FTP"_s},
    };
    QCOMPARE(texts.captions.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(texts.captions.at(i).group, expected.at(i).group);
        QCOMPARE(texts.captions.at(i).key, expected.at(i).key);
        QCOMPARE(texts.captions.at(i).text, expected.at(i).text);
    }
    // The tool tip text comes from the text group, not from the menu line of the same name.
    QCOMPARE(pairs(texts.textTable), QStringList{u"open=Projekt \u00f6ffnen"_s});
    QVERIFY(texts.helpTable.isEmpty());
}

void TestStartup::languageFileIsReadAsAnsi()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<strings>\r\n<group type=\"menu\">\r\n"
                             "\t<open>\xd6"
                             "ffnen</open>\r\n</group>\r\n<group type=\"text\">\r\n"
                             "\t<rootkey>Gr\xfc\xdf"
                             "e \x80</rootkey>\r\n</group>\r\n</strings>\r\n";
    QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"language-xx.xml"_s), bytes));
    const MarkupTable table = ReadMarkupFile(dir.path(), languageFileName(u"xx"_s));
    QVERIFY(table.fileOpened());
    const LanguageTexts texts = ApplyLanguageFile(table);
    QCOMPARE(texts.captions.size(), 1);
    QCOMPARE(texts.captions.at(0).text, u"\u00d6ffnen"_s);
    QCOMPARE(texts.textTable.value(u"rootkey"_s), u"Gr\u00fc\u00dfe \u20ac"_s);
}

void TestStartup::textKeysIgnoreCase_data()
{
    QTest::addColumn<QString>("lookup");
    QTest::newRow("as written") << u"RootKey"_s;
    QTest::newRow("lower case") << u"rootkey"_s;
    QTest::newRow("upper case") << u"ROOTKEY"_s;
}

void TestStartup::textKeysIgnoreCase()
{
    QFETCH(QString, lookup);
    const LanguageTexts texts =
            applyText(languageFile(groupOf(u"text"_s, u"\t<RootKey>Mein Feed</RootKey>\r\n"_s)
                                   + groupOf(u"help"_s, u"\t<RootKey>[[b]]Hilfe[[/b]]</RootKey>\r\n"_s)));
    QVERIFY(texts.textTable.contains(lookup));
    QCOMPARE(texts.textTable.value(lookup), u"Mein Feed"_s);
    QVERIFY(texts.helpTable.contains(lookup));
    QCOMPARE(texts.helpTable.value(lookup), u"<b>Hilfe</b>"_s);
}

void TestStartup::textValues_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("stored");

    QTest::newRow("plain text") << u"Neuer Eintrag"_s << u"Neuer Eintrag"_s;
    QTest::newRow("line break marker becomes CR LF")
            << u"Zeile eins[:br:]Zeile zwei"_s << u"Zeile eins\r\nZeile zwei"_s;
    QTest::newRow("line break marker in capitals") << u"a[:BR:]b"_s << u"a\r\nb"_s;
    QTest::newRow("brackets stay in text groups") << u"[[b]]x[[/b]]"_s << u"[[b]]x[[/b]]"_s;
    QTest::newRow("comma escape stays in text groups") << u"a[:bst:]b"_s << u"a[:bst:]b"_s;
    QTest::newRow("blanks at the ends are lost") << u"  x y  "_s << u"x y"_s;
    QTest::newRow("tabs are lost") << u"a\tb"_s << u"ab"_s;
    QTest::newRow("greater-than inside the text stays") << u"a > b"_s << u"a > b"_s;
}

void TestStartup::textValues()
{
    QFETCH(QString, written);
    QFETCH(QString, stored);
    const LanguageTexts texts = applyText(languageFile(groupOf(u"text"_s, u"\t<k>"_s + written + u"</k>\r\n"_s)));
    QCOMPARE(texts.textTable.value(u"k"_s), stored);
}

void TestStartup::helpValues_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("stored");

    QTest::newRow("bold word, line break marker and more words") << u"[[b]]x[[/b]][:br:]more"_s << u"<b>x</b>more"_s;
    QTest::newRow("comma escape") << u"a[:bst:] b"_s << u"a, b"_s;
    QTest::newRow("link tag") << u"[[a href=\"https://x.example/\"]]x[[/a]]"_s
                              << u"<a href=\"https://x.example/\">x</a>"_s;
    QTest::newRow("plain text") << u"Der Titel des Feeds."_s << u"Der Titel des Feeds."_s;
    QTest::newRow("blanks at the ends are lost") << u"  x  "_s << u"x"_s;
}

void TestStartup::helpValues()
{
    QFETCH(QString, written);
    QFETCH(QString, stored);
    const LanguageTexts texts =
            applyText(languageFile(groupOf(u"help"_s, u"\t<title>"_s + written + u"</title>\r\n"_s)));
    QCOMPARE(texts.helpTable.value(u"title"_s), stored);
    QVERIFY(!texts.textTable.contains(u"title"_s));
}

void TestStartup::blankLineStopsProcessing()
{
    const QString file = languageFile(groupOf(u"text"_s, u"\t<vorher>a</vorher>\r\n"_s) + u"\r\n"_s
                                      + groupOf(u"text"_s, u"\t<nachher>b</nachher>\r\n"_s)
                                      + groupOf(u"menu"_s, u"\t<open>Oeffnen</open>\r\n"_s));
    const LanguageTexts texts = applyText(file);
    QVERIFY(texts.textTable.contains(u"vorher"_s));
    QVERIFY(!texts.textTable.contains(u"nachher"_s));
    QVERIFY(texts.captions.isEmpty());

    // Lines holding only an end tag do not stop it.
    const LanguageTexts whole = applyText(languageFile(groupOf(u"text"_s, u"\t<vorher>a</vorher>\r\n"_s)
                                                       + groupOf(u"text"_s, u"\t<nachher>b</nachher>\r\n"_s)));
    QVERIFY(whole.textTable.contains(u"nachher"_s));
}

void TestStartup::groupStartTag_data()
{
    QTest::addColumn<QString>("startTag");
    QTest::addColumn<bool>("applied");

    QTest::newRow("type text") << u"<group type=\"text\">"_s << true;
    QTest::newRow("no attribute") << u"<group>"_s << false;
    QTest::newRow("other attribute") << u"<group kind=\"text\">"_s << false;
    QTest::newRow("unknown type") << u"<group type=\"list\">"_s << false;
    QTest::newRow("type value in capitals") << u"<group type=\"TEXT\">"_s << false;
    QTest::newRow("attribute name in capitals") << u"<group Type=\"text\">"_s << false;
    QTest::newRow("type given twice, the last counts") << u"<group type=\"menu\" type=\"text\">"_s << true;
    QTest::newRow("type given twice, the last is unknown") << u"<group type=\"text\" type=\"list\">"_s << false;
    QTest::newRow("type without quotes") << u"<group type=text>"_s << true;
    QTest::newRow("another attribute first") << u"<group id=\"7\" type=\"text\">"_s << true;
}

void TestStartup::groupStartTag()
{
    QFETCH(QString, startTag);
    QFETCH(bool, applied);
    const QString file = languageFile(startTag + u"\r\n\t<first>1</first>\r\n\t<k>v</k>\r\n</group>\r\n"_s
                                      + groupOf(u"text"_s, u"\t<danach>d</danach>\r\n"_s));
    const LanguageTexts texts = applyText(file);
    QCOMPARE(texts.textTable.contains(u"k"_s), applied);
    if (applied)
        QCOMPARE(texts.textTable.value(u"k"_s), u"v"_s);
    // The group after it is applied in any case.
    QCOMPARE(texts.textTable.value(u"danach"_s), u"d"_s);
    QVERIFY(texts.captions.isEmpty());
    QVERIFY(texts.helpTable.isEmpty());
}

void TestStartup::duplicateKeyKeepsFirst()
{
    const QString file = languageFile(groupOf(u"text"_s, u"\t<new>Erster</new>\r\n\t<NEW>Zweiter</NEW>\r\n"_s)
                                      + groupOf(u"help"_s, u"\t<title>erste Hilfe</title>\r\n"_s)
                                      + groupOf(u"text"_s, u"\t<New>Dritter</New>\r\n"_s)
                                      + groupOf(u"help"_s, u"\t<Title>zweite Hilfe</Title>\r\n"_s));
    const LanguageTexts texts = applyText(file);
    QCOMPARE(texts.textTable.value(u"new"_s), u"Erster"_s);
    QCOMPARE(texts.helpTable.value(u"title"_s), u"erste Hilfe"_s);
    // The same name in a text group and a help group are separate keys.
    QVERIFY(!texts.textTable.contains(u"title"_s));
    QCOMPARE(texts.textTable.size(), 2); // "first" and "new"
}

void TestStartup::linesOutsideGroups_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("applied");
    QTest::addColumn<QStringList>("ignored");

    QTest::newRow("text line directly inside strings is ignored")
            << languageFile(u"\t<lose>x</lose>\r\n"_s + groupOf(u"text"_s, u"\t<k>v</k>\r\n"_s)) << QStringList{u"k"_s}
            << QStringList{u"lose"_s};
    QTest::newRow("group before the strings element is ignored")
            << u"<group type=\"text\">\r\n\t<vorher>x</vorher>\r\n</group>\r\n<strings>\r\n"_s
                    + groupOf(u"text"_s, u"\t<k>v</k>\r\n"_s) + u"</strings>\r\n"_s
            << QStringList{u"k"_s} << QStringList{u"vorher"_s};
    QTest::newRow("group after the end of strings is ignored") << languageFile(groupOf(u"text"_s, u"\t<k>v</k>\r\n"_s))
                    + u"<group type=\"text\">\r\n\t<danach>x</danach>\r\n</group>\r\n"_s
                                                               << QStringList{u"k"_s} << QStringList{u"danach"_s};
    QTest::newRow("group left open at the end of strings stays open")
            << u"<strings>\r\n<group type=\"text\">\r\n\t<first>1</first>\r\n</strings>\r\n\t<danach>x</danach>\r\n"_s
            << QStringList{u"first"_s, u"danach"_s} << QStringList{};
    QTest::newRow("line after a group's end is ignored")
            << languageFile(groupOf(u"text"_s, u"\t<k>v</k>\r\n"_s) + u"\t<zwischen>x</zwischen>\r\n"_s)
            << QStringList{u"k"_s} << QStringList{u"zwischen"_s};
}

void TestStartup::linesOutsideGroups()
{
    QFETCH(QString, file);
    QFETCH(QStringList, applied);
    QFETCH(QStringList, ignored);
    const LanguageTexts texts = applyText(file);
    for (const QString &key : applied)
        QVERIFY2(texts.textTable.contains(key), qPrintable(u"not applied: "_s + key));
    for (const QString &key : ignored)
        QVERIFY2(!texts.textTable.contains(key), qPrintable(u"applied: "_s + key));
}

void TestStartup::shippedLanguageFiles_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("English") << u"en"_s;
    QTest::newRow("German") << u"de"_s;
}

void TestStartup::shippedLanguageFiles()
{
    QFETCH(QString, code);
    const MarkupTable table = ReadMarkupFile(FeedsmithTest::resourceDir(), languageFileName(code));
    QVERIFY(table.fileOpened());
    const LanguageTexts texts = ApplyLanguageFile(table);

    for (const QString &key : TextKeys) {
        QVERIFY2(texts.textTable.contains(key), qPrintable(u"text key missing: "_s + key));
        QVERIFY2(!texts.textTable.value(key).trimmed().isEmpty(), qPrintable(u"text key empty: "_s + key));
    }
    for (const QString &key : HelpKeys) {
        QVERIFY2(texts.helpTable.contains(key), qPrintable(u"help key missing: "_s + key));
        QVERIFY2(!texts.helpTable.value(key).trimmed().isEmpty(), qPrintable(u"help key empty: "_s + key));
        // Help texts are HTML once read: no bracket escape is left.
        QVERIFY2(!texts.helpTable.value(key).contains(u"[["_s), qPrintable(u"help key not unescaped: "_s + key));
    }
    for (const EntryField &field : EntryFields) // every box of the entry's Details is captioned and explained
        QVERIFY2(field.kind == EntryFieldKind::Hidden
                         || !(texts.textTable.value(field.textKey()).isEmpty()
                              || texts.helpTable.value(field.textKey()).isEmpty()),
                 qPrintable(field.textKey()));
    // So is every box and option of the channel: a box by its label and help, an option by its
    // text and tool tip.
    for (const DocumentField &field : DocumentFields) {
        if (!field.isChannelField())
            continue;
        const QString key = field.key;
        const bool captioned = field.isOption
                ? !texts.textTable.value(key + u"option"_s).isEmpty()
                        && !texts.textTable.value(key + u"optiontip"_s).isEmpty()
                : std::any_of(texts.captions.cbegin(), texts.captions.cend(), [&](const CaptionLine &l) {
                      return l.group == "label"_L1 && l.key == key;
                  }) && !texts.helpTable.value(key).isEmpty();
        QVERIFY2(captioned, qPrintable(key));
    }
    for (const auto &[groupName, keys] : CaptionKeys) {
        for (const QString &key : keys) {
            const bool present = std::any_of(texts.captions.cbegin(), texts.captions.cend(), [&](const CaptionLine &l) {
                return l.group == groupName && l.key == key;
            });
            QVERIFY2(present, qPrintable(u"caption missing: "_s + groupName + u' ' + key));
        }
    }
    // The tool tips and messages are in the file's own language: the two files differ.
    const LanguageTexts english =
            ApplyLanguageFile(ReadMarkupFile(FeedsmithTest::resourceDir(), languageFileName(u"en"_s)));
    if (code != u"en"_s)
        QVERIFY(texts.textTable.value(u"deleteentryname"_s) != english.textTable.value(u"deleteentryname"_s));
}

// ---------------------------------------------------------------------------------------------
// Program settings

void TestStartup::programSettings_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("declaration and two settings give exactly those two")
            << settingsFile(u"<settings>\r\n\t<a>1</a>\r\n\t<b>zwei</b>\r\n</settings>\r\n"_s)
            << QStringList{u"a=1"_s, u"b=zwei"_s};
    QTest::newRow("blank line stops the loading")
            << settingsFile(u"<settings>\r\n\t<a>1</a>\r\n\r\n\t<b>zwei</b>\r\n</settings>\r\n"_s)
            << QStringList{u"a=1"_s};
    QTest::newRow("setting before the start tag is not loaded")
            << settingsFile(u"<c>3</c>\r\n<settings>\r\n\t<a>1</a>\r\n\t<b>zwei</b>\r\n</settings>\r\n"_s)
            << QStringList{u"a=1"_s, u"b=zwei"_s};
    QTest::newRow("line with only an end tag stops the loading")
            << settingsFile(u"<settings>\r\n\t<a>1</a>\r\n</x>\r\n\t<b>zwei</b>\r\n</settings>\r\n"_s)
            << QStringList{u"a=1"_s};
    QTest::newRow("nothing after the end of settings")
            << settingsFile(u"<settings>\r\n\t<a>1</a>\r\n</settings>\r\n<settings>\r\n\t<b>2</b>\r\n</settings>\r\n"_s)
            << QStringList{u"a=1"_s};
    QTest::newRow("setting with an empty value is kept")
            << settingsFile(u"<settings>\r\n\t<a>1</a>\r\n\t<c></c>\r\n\t<b>zwei</b>\r\n</settings>\r\n"_s)
            << QStringList{u"a=1"_s, u"b=zwei"_s, u"c="_s};
    QTest::newRow("key given twice keeps the first")
            << settingsFile(u"<settings>\r\n\t<a>1</a>\r\n\t<A>2</A>\r\n</settings>\r\n"_s) << QStringList{u"a=1"_s};
    QTest::newRow("line break marker in a value")
            << settingsFile(u"<settings>\r\n\t<a>1</a>\r\n\t<b>x[:br:]y</b>\r\n</settings>\r\n"_s)
            << QStringList{u"a=1"_s, u"b=x\r\ny"_s};
    QTest::newRow("file without settings element") << settingsFile(u"<a>1</a>\r\n"_s) << QStringList{};
    QTest::newRow("empty file") << QString() << QStringList{};
}

void TestStartup::programSettings()
{
    QFETCH(QString, file);
    QFETCH(QStringList, expected);
    QCOMPARE(pairs(ParseProgramSettings(ParseMarkup(file))), expected);
}

void TestStartup::programSettingsFromTheProgramFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(LoadProgramSettings(dir.path()).isEmpty());
    QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"programsettings.xml"_s),
                                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<settings>\r\n"
                                      "\t<Server>ftp.example.com</Server>\r\n\t<ort>K\xf6ln</ort>\r\n</settings>\r\n"));
    const KeyedTexts settings = LoadProgramSettings(dir.path());
    QCOMPARE(settings.size(), 2);
    QCOMPARE(settings.value(u"server"_s), u"ftp.example.com"_s);
    QCOMPARE(settings.value(u"SERVER"_s), u"ftp.example.com"_s);
    QCOMPARE(settings.value(u"ort"_s), u"K\u00f6ln"_s);
}

// ---------------------------------------------------------------------------------------------
// Start-up

void TestStartup::languageAndMarker_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<bool>("hasMarker");
    QTest::addColumn<QByteArray>("marker");
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("keyboardFilter");

    QTest::newRow("German locale, no marker") << u"de_DE.UTF-8"_s << false << QByteArray() << u"de"_s << true;
    QTest::newRow("German locale without region") << u"de"_s << false << QByteArray() << u"de"_s << true;
    QTest::newRow("English locale") << u"en_US.UTF-8"_s << false << QByteArray() << u"en"_s << true;
    QTest::newRow("French locale falls back to English") << u"fr_FR"_s << false << QByteArray() << u"en"_s << true;
    QTest::newRow("C locale gives English") << u"C"_s << false << QByteArray() << u"en"_s << true;
    QTest::newRow("C.UTF-8 locale gives English") << u"C.UTF-8"_s << false << QByteArray() << u"en"_s << true;
    QTest::newRow("POSIX locale gives English") << u"POSIX"_s << false << QByteArray() << u"en"_s << true;
    QTest::newRow("no locale gives English") << QString() << false << QByteArray() << u"en"_s << true;

    QTest::newRow("marker 1 forces English and no filter")
            << u"de_DE.UTF-8"_s << true << QByteArray("1") << u"en"_s << false;
    QTest::newRow("marker 1 with CR LF") << u"de_DE.UTF-8"_s << true << QByteArray("1\r\n") << u"en"_s << false;
    QTest::newRow("marker 1 with LF") << u"de_DE.UTF-8"_s << true << QByteArray("1\n") << u"en"_s << false;
    QTest::newRow("marker 1 with two line breaks")
            << u"de_DE.UTF-8"_s << true << QByteArray("1\r\n\r\n") << u"en"_s << false;
    QTest::newRow("marker 1 with a French locale") << u"fr_FR"_s << true << QByteArray("1") << u"en"_s << false;
    QTest::newRow("marker 0 keeps filter and language")
            << u"de_DE.UTF-8"_s << true << QByteArray("0") << u"de"_s << true;
    QTest::newRow("marker 01 drops the filter but keeps the language")
            << u"de_DE.UTF-8"_s << true << QByteArray("01") << u"de"_s << false;
    QTest::newRow("marker 2") << u"de_DE.UTF-8"_s << true << QByteArray("2") << u"de"_s << true;
    QTest::newRow("marker abc") << u"de_DE.UTF-8"_s << true << QByteArray("abc") << u"de"_s << true;
    QTest::newRow("empty marker") << u"de_DE.UTF-8"_s << true << QByteArray() << u"de"_s << true;
    QTest::newRow("marker 1 and 0 on two lines reads as 10")
            << u"de_DE.UTF-8"_s << true << QByteArray("1\r\n0") << u"de"_s << true;
    QTest::newRow("marker 11") << u"de_DE.UTF-8"_s << true << QByteArray("11") << u"de"_s << true;
}

void TestStartup::languageAndMarker()
{
    QFETCH(QString, localeName);
    QFETCH(bool, hasMarker);
    QFETCH(QByteArray, marker);
    QFETCH(QString, language);
    QFETCH(bool, keyboardFilter);

    QTemporaryDir dir;
    QVERIFY(makeProgramFolder(dir));
    if (hasMarker)
        QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"devel.txt"_s), marker));

    const StartupState state = RunStartup(dir.path(), localeName);
    QCOMPARE(state.programFolder, dir.path());
    QCOMPARE(state.languageCode, language);
    QCOMPARE(state.installKeyboardFilter, keyboardFilter);
    // The texts come from that language's file.
    QCOMPARE(state.language.textTable.value(u"rootkey"_s), u"root "_s + language);
    QCOMPARE(state.language.textTable.value(u"newentry"_s), u"entry "_s + language);
    QCOMPARE(state.language.captions.size(), 1);
    QCOMPARE(state.language.captions.at(0).key, u"open"_s);
    QCOMPARE(state.language.captions.at(0).text, u"open "_s + language);
    // The marker is only read.
    QCOMPARE(QFileInfo::exists(dir.filePath(u"devel.txt"_s)), hasMarker);
    if (hasMarker)
        QCOMPARE(FeedsmithTest::readBytes(dir.filePath(u"devel.txt"_s)), marker);
}

void TestStartup::languageFileHoldingMinusOne_data()
{
    QTest::addColumn<QByteArray>("germanFile");
    QTest::addColumn<QString>("language");

    QTest::newRow("text -1 counts as missing") << QByteArray("-1") << u"en"_s;
    QTest::newRow("text -1 with a line break counts as missing") << QByteArray("-1\r\n") << u"en"_s;
    QTest::newRow("lines - and 1 join to -1") << QByteArray("-\r\n1") << u"en"_s;
    QTest::newRow("text -2 is a file of that language") << QByteArray("-2") << u"de"_s;
    QTest::newRow("empty file is a file of that language") << QByteArray() << u"de"_s;
}

void TestStartup::languageFileHoldingMinusOne()
{
    QFETCH(QByteArray, germanFile);
    QFETCH(QString, language);

    QTemporaryDir dir;
    QVERIFY(makeProgramFolder(dir));
    QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"language-de.xml"_s), germanFile));
    const StartupState state = RunStartup(dir.path(), u"de_DE.UTF-8"_s);
    QCOMPARE(state.languageCode, language);
    if (language == u"en"_s) {
        QCOMPARE(state.language.textTable.value(u"rootkey"_s), u"root en"_s);
    } else {
        // The German file has no strings: the tables stay empty.
        QVERIFY(state.language.textTable.isEmpty());
        QVERIFY(state.language.captions.isEmpty());
    }
}

void TestStartup::noLanguageFileAtAll()
{
    QTemporaryDir dir;
    QVERIFY(makeProgramFolder(dir));
    QVERIFY(QFile::remove(dir.filePath(u"language-en.xml"_s)));
    QVERIFY(QFile::remove(dir.filePath(u"language-de.xml"_s)));
    const StartupState state = RunStartup(dir.path(), u"de_DE.UTF-8"_s);
    QCOMPARE(state.languageCode, u"en"_s);
    QVERIFY(state.language.textTable.isEmpty());
    QVERIFY(state.language.helpTable.isEmpty());
    QVERIFY(state.language.captions.isEmpty());
}

void TestStartup::spellingDictionary_data()
{
    QTest::addColumn<QString>("channel");
    QTest::addColumn<QString>("interface");
    QTest::addColumn<QString>("dictionary");
    QTest::newRow("German channel, English interface") << u"de"_s << u"en"_s << u"de-DE"_s;
    QTest::newRow("Austrian German as a locale writes it") << u" de_AT "_s << u"en"_s << u"de-DE"_s;
    QTest::newRow("British English, German interface") << u"en-gb"_s << u"de"_s << u"en-US"_s;
    QTest::newRow("French: the interface language's") << u"fr"_s << u"de"_s << u"de-DE"_s;
}

void TestStartup::spellingDictionary()
{
    QFETCH(QString, channel);
    QFETCH(QString, interface);
    QFETCH(QString, dictionary);
    QCOMPARE(SpellingDictionary(channel, interface), dictionary);
}

void TestStartup::settingsAreLoadedAtStartup()
{
    QTemporaryDir dir;
    QVERIFY(makeProgramFolder(dir));
    QVERIFY(RunStartup(dir.path(), u"de_DE.UTF-8"_s).settingsTable.isEmpty());
    QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"programsettings.xml"_s),
                                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<settings>\r\n\t<a>1</a>\r\n"
                                      "\t<b>zwei</b>\r\n</settings>\r\n"));
    const StartupState state = RunStartup(dir.path(), u"de_DE.UTF-8"_s);
    QCOMPARE(pairs(state.settingsTable), (QStringList{u"a=1"_s, u"b=zwei"_s}));
    // Reading the settings does not disturb the language texts read after them.
    QCOMPARE(state.languageCode, u"de"_s);
    QCOMPARE(state.language.textTable.value(u"rootkey"_s), u"root de"_s);
}

void TestStartup::userConfigFolderWins()
{
    QTemporaryDir dir;
    QTemporaryDir config;
    QVERIFY(makeProgramFolder(dir));
    const QByteArray settings = "<?xml version=\"1.0\"?>\r\n<settings>\r\n\t<where>%1</where>\r\n</settings>\r\n";
    QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"programsettings.xml"_s),
                                      QByteArray(settings).replace("%1", "program")));
    QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"devel.txt"_s), "0"));
    // Nothing of the user's own: the program folder's files count.
    StartupState state = RunStartup(dir.path(), u"de_DE.UTF-8"_s, config.path());
    QCOMPARE(pairs(state.settingsTable), QStringList{u"where=program"_s});
    QCOMPARE(state.languageCode, u"de"_s);
    // The user's own settings and marker win.
    QVERIFY(FeedsmithTest::writeBytes(config.filePath(u"programsettings.xml"_s),
                                      QByteArray(settings).replace("%1", "user")));
    QVERIFY(FeedsmithTest::writeBytes(config.filePath(u"devel.txt"_s), "1"));
    state = RunStartup(dir.path(), u"de_DE.UTF-8"_s, config.path());
    QCOMPARE(pairs(state.settingsTable), QStringList{u"where=user"_s});
    QCOMPARE(state.languageCode, u"en"_s);
    QVERIFY(!state.installKeyboardFilter);

    // The dialogs start in the feeds folder, or in the documents folder when there is none.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QCOMPARE(dialogStartFolder(config.path()), QFileInfo(documents).isDir() ? documents : QDir::homePath());
    QCOMPARE(dialogStartFolder(dir.path()), dir.filePath(u"feeds"_s));
}

// The files of a folder and its subfolders as "name=content", sorted; "-" for no folder.
static QString filesIn(const QString &folder)
{
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        files << QDir(folder).relativeFilePath(path) + u'=' + QString::fromUtf8(FeedsmithTest::readBytes(path));
    }
    files.sort();
    return QFileInfo(folder).isDir() ? files.join(u' ') : u"-"_s;
}

void TestStartup::oldConfigFolderMovesOnce_data()
{
    QTest::addColumn<QStringList>("before"); // the old folder's files and the new one's
    QTest::addColumn<QStringList>("after");
    QTest::newRow("no new folder: the old one becomes it")
            << QStringList{u"devel.txt=1 editor/a=b"_s, QString()} << QStringList{u"-"_s, u"devel.txt=1 editor/a=b"_s};
    QTest::newRow("the new folder's own file wins, the old one stays")
            << QStringList{u".h=x devel.txt=1 trusted-certificates=AB"_s, u"devel.txt=0"_s}
            << QStringList{u"devel.txt=1"_s, u".h=x devel.txt=0 trusted-certificates=AB"_s};
}

void TestStartup::oldConfigFolderMovesOnce()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QTemporaryDir config;
    const QStringList folders{config.filePath(u"feedsmith"_s), config.filePath(u"Feedsmith"_s)};
    for (qsizetype f = 0; f < 2; ++f) {
        for (const QString &file : before.at(f).split(u' ', Qt::SkipEmptyParts)) {
            const QString path = folders.at(f) + u'/' + file.section(u'=', 0, 0);
            QVERIFY(QDir().mkpath(QFileInfo(path).path())
                    && FeedsmithTest::writeBytes(path, file.section(u'=', 1).toUtf8()));
        }
    }
    for (int start = 0; start < 2; ++start) { // once: the next start finds nothing to move
        QVERIFY(MoveOldUserConfig(folders.at(0), folders.at(1)));
        QCOMPARE((QStringList{filesIn(folders.at(0)), filesIn(folders.at(1))}), after);
    }
}

// ---------------------------------------------------------------------------------------------
// Recovery copies left behind

void TestStartup::recoveryCopiesOffered_data()
{
    QTest::addColumn<QString>("planted"); // what was done to the copy left behind
    QTest::addColumn<QString>("offered"); // the project path offered with the copy, "-" for no copy; %d: the folder
    QTest::newRow("copy of a saved project") << u""_s << u"%d/p.rsx"_s;
    QTest::newRow("notes name a shell profile") << u"notes:%d/.bashrc"_s << QString();
    QTest::newRow("notes name a new project") << u"notes:%d/new.rsx"_s << u"%d/new.rsx"_s;
    QTest::newRow("notes name a new file of another kind") << u"notes:%d/run.sh"_s << QString();
    QTest::newRow("copy is a link to a project") << u"link:%d/p.rsx"_s << u"-"_s;
    QTest::newRow("copy is a link to the password file") << u"link:/etc/passwd"_s << u"-"_s;
    QTest::newRow("copy is no project") << u"text"_s << u"-"_s;
    QTest::newRow("copy larger than any project") << u"huge"_s << u"-"_s;
    QTest::newRow("folder others may enter") << u"mode:0755"_s << u"-"_s;
    QTest::newRow("folder is a link to a shared folder") << u"folderlink"_s << u"-"_s;
}

void TestStartup::recoveryCopiesOffered()
{
    QFETCH(QString, planted);
    QFETCH(QString, offered);
    QTemporaryDir work;
    planted.replace(u"%d"_s, work.path());
    offered.replace(u"%d"_s, work.path());
    QVERIFY(FeedsmithTest::writeBytes(work.filePath(u".bashrc"_s), "alias ls=rm\n"));
    FeedDocument document;
    document.projectPath = work.filePath(u"p.rsx"_s);
    QVERIFY(FeedsmithTest::writeBytes(document.projectPath, "<settings>\r\n</settings>\r\n"));
    QString folder = work.filePath(u"recovery"_s);
    QString error;
    QVERIFY2(RecoveryStore(folder).write(document, FeedsmithTest::resourceDir(), &error), qPrintable(error));
    // Left behind by a program that no longer runs.
    const QString left = folder + u"/999999999-1"_s;
    QVERIFY(QFile::rename(RecoveryStore(folder).ownCopyFile(), left + u".rsx"_s));
    QVERIFY(QFile::rename(QString(RecoveryStore(folder).ownCopyFile()).replace(u".rsx"_s, u".json"_s),
                          left + u".json"_s));
    if (planted.startsWith(u"notes:"_s)) {
        QVERIFY(FeedsmithTest::writeBytes(left + u".json"_s, "{\"project\": \"" + planted.mid(6).toUtf8() + "\"}"));
    } else if (planted.startsWith(u"link:"_s)) {
        QVERIFY(QFile::remove(left + u".rsx"_s) && QFile::link(planted.mid(5), left + u".rsx"_s));
    } else if (planted == "text"_L1) {
        QVERIFY(FeedsmithTest::writeBytes(left + u".rsx"_s, "export PATH=/tmp\n"));
    } else if (planted == "huge"_L1) {
        QFile copy(left + u".rsx"_s); // sparse: no disk is used
        QVERIFY(copy.open(QIODevice::ReadWrite) && copy.resize(MaxRecoveryCopyBytes + 1));
    } else if (planted.startsWith(u"mode:"_s)) {
        QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7755)));
    } else if (planted == "folderlink"_L1) {
        // Another user could have made this link to a folder everybody may write to.
        QVERIFY(QDir().rename(folder, work.filePath(u"shared"_s)));
        QVERIFY(QFile::setPermissions(work.filePath(u"shared"_s), QFileDevice::Permissions(0x7777)));
        QVERIFY(QFile::link(work.filePath(u"shared"_s), folder));
    }
    const QList<RecoveryCopy> copies = RecoveryStore(folder).orphans();
    QCOMPARE(copies.isEmpty() ? u"-"_s : copies.first().projectPath, offered);
    if (planted == "folderlink"_L1) {
        // Writing a copy neither uses that folder nor makes it private.
        QVERIFY(!RecoveryStore(folder).write(document, FeedsmithTest::resourceDir(), &error));
        QVERIFY2(error.contains(u"symbolic link"_s), qPrintable(error));
        QCOMPARE(QFileInfo(work.filePath(u"shared"_s)).permissions() & 0x0007, QFileDevice::Permissions(0x0007));
        QCOMPARE(QDir(work.filePath(u"shared"_s)).entryList(QDir::Files).size(), 2);
    }
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"

// Tests of the line-oriented markup reader (ParseMarkup, ReadMarkupFile) and GetAttribute.
#include "core/text/markupreader.h"

#include "testsupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Feedsmith;
using FeedsmithTest::writeBytes;

namespace {

// The four columns of a row: name, value, closing name, attribute text.
QStringList columns(const MarkupRow &row)
{
    return {row.name, row.value, row.closing, row.attributes};
}

bool rowIsBlank(const MarkupRow &row)
{
    return row.name.isEmpty() && row.value.isEmpty() && row.closing.isEmpty() && row.attributes.isEmpty();
}

QList<QStringList> rowsOf(const MarkupTable &table)
{
    QList<QStringList> rows;
    for (qsizetype i = 0; i < table.lineCount(); ++i)
        rows << columns(table.row(i));
    return rows;
}

} // namespace

class TestMarkupReader : public QObject
{
    Q_OBJECT

private slots:
    void singleLine_data();
    void singleLine();
    void lineSequences_data();
    void lineSequences();
    void rowCapacity_data();
    void rowCapacity();
    void filePath_data();
    void filePath();
    void readMarkupFile_data();
    void readMarkupFile();
    void missingFileLeavesEveryRowEmpty_data();
    void missingFileLeavesEveryRowEmpty();
    void fileBytesAreWindows1252();
    void getAttribute_data();
    void getAttribute();
};

void TestMarkupReader::singleLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected"); // name, value, closing, attributes

    QTest::newRow("element with value") << u"<title>v</title>"_qs << QStringList{u"title"_qs, u"v"_qs, u"title"_qs, {}};
    QTest::newRow("opening element only") << u"<settings>"_qs << QStringList{u"settings"_qs, {}, {}, {}};
    QTest::newRow("closing element only") << u"</settings>"_qs << QStringList{{}, {}, u"settings"_qs, {}};
    QTest::newRow("group with type attribute")
            << u"<group type=\"menu\">"_qs << QStringList{u"group"_qs, {}, {}, u"type=\"menu\""_qs};
    QTest::newRow("XML declaration") << u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"_qs
                                     << QStringList{u"?xml"_qs, {}, {}, u"version=\"1.0\" encoding=\"UTF-8\"?"_qs};
    QTest::newRow("empty line") << QString() << QStringList{{}, {}, {}, {}};
    QTest::newRow("value with inner blanks")
            << u"<title>Hallo Welt</title>"_qs << QStringList{u"title"_qs, u"Hallo Welt"_qs, u"title"_qs, {}};
    QTest::newRow("value trimmed of blanks")
            << u"<title>  v  </title>"_qs << QStringList{u"title"_qs, u"v"_qs, u"title"_qs, {}};
    QTest::newRow("tabs removed everywhere in the value")
            << u"<title>\ta\tb\t</title>"_qs << QStringList{u"title"_qs, u"ab"_qs, u"title"_qs, {}};
    QTest::newRow("blank behind a tab survives the trim")
            << u"<title> \t x</title>"_qs << QStringList{u"title"_qs, u" x"_qs, u"title"_qs, {}};
    QTest::newRow("line break marker") << u"<d>a[:br:]b</d>"_qs << QStringList{u"d"_qs, u"a\r\nb"_qs, u"d"_qs, {}};
    QTest::newRow("line break marker in capitals")
            << u"<d>a[:BR:]b[:Br:]c</d>"_qs << QStringList{u"d"_qs, u"a\r\nb\r\nc"_qs, u"d"_qs, {}};
    QTest::newRow("marker split by a tab found after the tab removal")
            << u"<d>a[:b\tr:]b</d>"_qs << QStringList{u"d"_qs, u"a\r\nb"_qs, u"d"_qs, {}};
    QTest::newRow("line breaks from markers at the ends are kept")
            << u"<d>[:br:]x[:br:]</d>"_qs << QStringList{u"d"_qs, u"\r\nx\r\n"_qs, u"d"_qs, {}};
    QTest::newRow("two elements, first only") << u"<a>1</a><b>2</b>"_qs << QStringList{u"a"_qs, u"1"_qs, u"a"_qs, {}};
    QTest::newRow("close angle inside the value stays")
            << u"<title>a > b</title>"_qs << QStringList{u"title"_qs, u"a > b"_qs, u"title"_qs, {}};
    QTest::newRow("value without end tag taken whole")
            << u"<title>text to the end."_qs << QStringList{u"title"_qs, u"text to the end."_qs, {}, {}};
    QTest::newRow("slash in start tag ends it, no value")
            << u"<a/b>text</a>"_qs << QStringList{u"a"_qs, {}, u"b"_qs, {}};
    QTest::newRow("self-closing tag with attribute")
            << u"<img src=x/>text"_qs << QStringList{u"img"_qs, {}, {}, u"src=x"_qs};
    QTest::newRow("indented with blanks, name in attribute column")
            << u"  <title>v</title>"_qs << QStringList{{}, u"v"_qs, u"title"_qs, u"title"_qs};
    QTest::newRow("indented with tabs is harmless")
            << u"\t\t<title>v</title>"_qs << QStringList{u"title"_qs, u"v"_qs, u"title"_qs, {}};
    QTest::newRow("blank before closing angle of the start tag")
            << u"<title >v</title >"_qs << QStringList{u"title"_qs, u"v"_qs, u"title"_qs, {}};
    QTest::newRow("attributes trimmed and cleared of tabs")
            << u"<group \ttype=\"list\"  >"_qs << QStringList{u"group"_qs, {}, {}, u"type=\"list\""_qs};
    QTest::newRow("only blanks are trimmed, a lone LF stays")
            << u"<t>\n a </t>"_qs << QStringList{u"t"_qs, u"\n a"_qs, u"t"_qs, {}};
    QTest::newRow("lone LF belongs to the value") << u"<t>a\nb</t>"_qs << QStringList{u"t"_qs, u"a\nb"_qs, u"t"_qs, {}};
}

void TestMarkupReader::singleLine()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    const MarkupTable table = ParseMarkup(line);
    QCOMPARE(table.lineCount(), line.isEmpty() ? 0 : 1);
    QCOMPARE(columns(table.row(0)), expected);
}

void TestMarkupReader::lineSequences_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<QStringList>>("expected");

    const QStringList blank{{}, {}, {}, {}};
    QTest::newRow("lines ended by CR LF")
            << u"<a>1</a>\r\n<b>2</b>\r\n"_qs
            << QList<QStringList>{{u"a"_qs, u"1"_qs, u"a"_qs, {}}, {u"b"_qs, u"2"_qs, u"b"_qs, {}}};
    QTest::newRow("lines ended by lone CR")
            << u"<a>1</a>\r<b>2</b>\r"_qs
            << QList<QStringList>{{u"a"_qs, u"1"_qs, u"a"_qs, {}}, {u"b"_qs, u"2"_qs, u"b"_qs, {}}};
    QTest::newRow("last line without terminator")
            << u"<a>1</a>\r\n<b>2</b>"_qs
            << QList<QStringList>{{u"a"_qs, u"1"_qs, u"a"_qs, {}}, {u"b"_qs, u"2"_qs, u"b"_qs, {}}};
    QTest::newRow("lone LF does not end a line")
            << u"<a>1</a>\n<b>2</b>"_qs << QList<QStringList>{{u"a"_qs, u"1"_qs, u"a"_qs, {}}};
    QTest::newRow("blank lines are rows")
            << u"\r\n<a>1</a>\r\n\r\n"_qs << QList<QStringList>{blank, {u"a"_qs, u"1"_qs, u"a"_qs, {}}, blank};
    QTest::newRow("CR CR LF gives an empty line between")
            << u"<a>1</a>\r\r\n<b>2</b>"_qs
            << QList<QStringList>{{u"a"_qs, u"1"_qs, u"a"_qs, {}}, blank, {u"b"_qs, u"2"_qs, u"b"_qs, {}}};
    QTest::newRow("no lines at all") << QString() << QList<QStringList>{};
    QTest::newRow("open element then a line without angle")
            << u"<settings>\r\nplain text"_qs
            << QList<QStringList>{{u"settings"_qs, {}, {}, {}}, {u"p"_qs, u"plain text"_qs, {}, {}}};
    QTest::newRow("open element then an ordinary line")
            << u"<group type=\"menu\">\r\n<text>v</text>"_qs
            << QList<QStringList>{{u"group"_qs, {}, {}, u"type=\"menu\""_qs}, {u"text"_qs, u"v"_qs, u"text"_qs, {}}};
    QTest::newRow("carried-over value ends at the next angle")
            << u"<settings>\r\nab<c>d"_qs
            << QList<QStringList>{{u"settings"_qs, {}, {}, {}}, {u"ac"_qs, u"abd"_qs, {}, {}}};
    QTest::newRow("unfinished end tag carries over")
            << u"<a>x</a\r\nb>y"_qs
            << QList<QStringList>{{u"a"_qs, u"x"_qs, u"a"_qs, {}}, {u"b"_qs, u"y"_qs, u"b"_qs, {}}};
    QTest::newRow("closed element leaves nothing open")
            << u"<a>x</a>\r\nplain"_qs
            << QList<QStringList>{{u"a"_qs, u"x"_qs, u"a"_qs, {}}, {u"plain"_qs, {}, {}, {}}};
}

void TestMarkupReader::lineSequences()
{
    QFETCH(QString, text);
    QFETCH(QList<QStringList>, expected);
    const MarkupTable table = ParseMarkup(text);
    QCOMPARE(rowsOf(table), expected);
    QVERIFY(rowIsBlank(table.row(table.lineCount())));
}

void TestMarkupReader::rowCapacity_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("lastRowIndex");

    QTest::newRow("empty file") << 0 << 2000;
    QTest::newRow("one line") << 1 << 2000;
    QTest::newRow("1999 lines") << 1999 << 2000;
    QTest::newRow("2000 lines") << 2000 << 4000;
    QTest::newRow("3999 lines") << 3999 << 4000;
    QTest::newRow("4000 lines") << 4000 << 6000;
}

void TestMarkupReader::rowCapacity()
{
    QFETCH(int, lines);
    QFETCH(int, lastRowIndex);

    QByteArray bytes;
    for (int i = 0; i < lines; ++i)
        bytes += "<n a=" + QByteArray::number(i) + ">" + QByteArray::number(i) + "</n>\r\n";
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeBytes(dir.filePath(u"big.xml"_qs), bytes));

    const MarkupTable table = ReadMarkupFile(dir.path() + u'/', u"big"_qs);
    QVERIFY(table.fileOpened());
    QCOMPARE(table.lastRowIndex(), qsizetype(lastRowIndex));
    QCOMPARE(table.lineCount(), qsizetype(lines));
    for (int i = 0; i < lines; ++i) {
        const MarkupRow &row = table.row(i);
        if (row.value != QString::number(i) || row.name != u"n" || row.attributes != u"a="_qs + QString::number(i))
            QFAIL(qPrintable(u"row %1 lost or changed: "_qs.arg(i) + columns(row).join(u'|')));
    }
    for (int i = lines; i <= lastRowIndex; ++i)
        QVERIFY2(rowIsBlank(table.row(i)), qPrintable(QString::number(i)));
}

void TestMarkupReader::filePath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("project name kept") << u"/f/"_qs << u"feed.rsx"_qs << u"/f/feed.rsx"_qs;
    QTest::newRow("project name in capitals kept") << u"/f/"_qs << u"FEED.RSX"_qs << u"/f/FEED.RSX"_qs;
    QTest::newRow("project extension in mixed case kept") << u"/f/"_qs << u"Feed.Rsx"_qs << u"/f/Feed.Rsx"_qs;
    QTest::newRow("project extension inside the name kept") << u"/f/"_qs << u"a.rsx.bak"_qs << u"/f/a.rsx.bak"_qs;
    QTest::newRow("name ending in .xml gets a second one") << u"/f/"_qs << u"x.xml"_qs << u"/f/x.xml.xml"_qs;
    QTest::newRow("settings name") << u"/p/"_qs << u"programsettings"_qs << u"/p/programsettings.xml"_qs;
    QTest::newRow("plain joining, separator in the name") << u"/p"_qs << u"/language-en"_qs << u"/p/language-en.xml"_qs;
    QTest::newRow("rsx without dot is no project name") << u"/f/"_qs << u"rsxfile"_qs << u"/f/rsxfile.xml"_qs;
}

void TestMarkupReader::filePath()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(MarkupFilePath(folder, name), expected);
}

void TestMarkupReader::readMarkupFile_data()
{
    QTest::addColumn<QStringList>("files"); // names written; each holds a line naming itself
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("value");

    QTest::newRow("capital project extension opened under that name")
            << QStringList{u"Feed.RSX"_qs, u"Feed.RSX.xml"_qs} << u"Feed.RSX"_qs << true << u"Feed.RSX"_qs;
    QTest::newRow("lower-case project extension")
            << QStringList{u"feed.rsx"_qs, u"feed.rsx.xml"_qs} << u"feed.rsx"_qs << true << u"feed.rsx"_qs;
    QTest::newRow("name ending in .xml looked for with a second one")
            << QStringList{u"x.xml"_qs, u"x.xml.xml"_qs} << u"x.xml"_qs << true << u"x.xml.xml"_qs;
    QTest::newRow("name ending in .xml, only that file there")
            << QStringList{u"x.xml"_qs} << u"x.xml"_qs << false << QString();
    QTest::newRow("settings name") << QStringList{u"programsettings.xml"_qs} << u"programsettings"_qs << true
                                   << u"programsettings.xml"_qs;
}

void TestMarkupReader::readMarkupFile()
{
    QFETCH(QStringList, files);
    QFETCH(QString, name);
    QFETCH(bool, opened);
    QFETCH(QString, value);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString &file : std::as_const(files))
        QVERIFY(writeBytes(dir.filePath(file), "<file>" + file.toLatin1() + "</file>\r\n"));

    const MarkupTable table = ReadMarkupFile(dir.path() + u'/', name);
    QCOMPARE(table.fileOpened(), opened);
    QCOMPARE(table.lineCount(), qsizetype(opened ? 1 : 0));
    QCOMPARE(table.row(0).value, value);
    QCOMPARE(table.lastRowIndex(), qsizetype(2000));
}

void TestMarkupReader::missingFileLeavesEveryRowEmpty_data()
{
    QTest::addColumn<QString>("relativeFolder");
    QTest::addColumn<QString>("name");

    QTest::newRow("missing settings file") << QString() << u"programsettings"_qs;
    QTest::newRow("missing project file") << QString() << u"gone.rsx"_qs;
    QTest::newRow("missing folder") << u"nofolder/"_qs << u"programsettings"_qs;
}

void TestMarkupReader::missingFileLeavesEveryRowEmpty()
{
    QFETCH(QString, relativeFolder);
    QFETCH(QString, name);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Something else in the folder must not be picked up instead.
    QVERIFY(writeBytes(dir.filePath(u"other.xml"_qs), "<title>x</title>\r\n"));

    const MarkupTable table = ReadMarkupFile(dir.path() + u'/' + relativeFolder, name);
    QVERIFY(!table.fileOpened());
    QCOMPARE(table.lineCount(), qsizetype(0));
    QCOMPARE(table.lastRowIndex(), qsizetype(2000));
    for (qsizetype i = 0; i <= table.lastRowIndex(); ++i)
        QVERIFY2(rowIsBlank(table.row(i)), qPrintable(QString::number(i)));
}

void TestMarkupReader::fileBytesAreWindows1252()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The declaration claims UTF-8; the bytes are read as Windows-1252 all the same.
    const QByteArray bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                             "<title>\xC4pfel \x80 \x92</title>\r\n"
                             "<utf>\xC3\xA4</utf>\r\n";
    QVERIFY(writeBytes(dir.filePath(u"enc.rsx"_qs), bytes));

    const MarkupTable table = ReadMarkupFile(dir.path() + u'/', u"enc.rsx"_qs);
    QVERIFY(table.fileOpened());
    QCOMPARE(table.lineCount(), qsizetype(3));
    QCOMPARE(table.row(0).name, u"?xml"_qs);
    QCOMPARE(table.row(1).value, u"Äpfel € ’"_qs);
    QCOMPARE(table.row(2).value, u"Ã¤"_qs);
}

void TestMarkupReader::getAttribute_data()
{
    QTest::addColumn<QString>("attributeName");
    QTest::addColumn<QString>("attributeText");
    QTest::addColumn<QString>("expected");

    QTest::newRow("quoted value, quotes removed") << u"type"_qs << u"type=\"menu\""_qs << u"menu"_qs;
    QTest::newRow("unquoted value") << u"type"_qs << u"type=menu"_qs << u"menu"_qs;
    QTest::newRow("given twice, later wins") << u"type"_qs << u"type=\"menu\" type=\"list\""_qs << u"list"_qs;
    QTest::newRow("letter case of the name counts") << u"Type"_qs << u"type=\"menu\""_qs << QString();
    QTest::newRow("absent attribute") << u"type"_qs << u"name=\"x\""_qs << QString();
    QTest::newRow("empty attribute text") << u"type"_qs << QString() << QString();
    QTest::newRow("second of two attributes") << u"b"_qs << u"a=\"1\" b=\"2\""_qs << u"2"_qs;
    QTest::newRow("prefix of a name does not match") << u"typ"_qs << u"type=\"menu\""_qs << QString();
    QTest::newRow("longer name does not match") << u"type"_qs << u"subtype=\"x\""_qs << QString();
    QTest::newRow("value split at the first equals sign") << u"href"_qs << u"href=\"a=b\""_qs << u"a=b"_qs;
    QTest::newRow("every quote removed") << u"t"_qs << u"t=\"a\"b\""_qs << u"ab"_qs;
    QTest::newRow("question mark of a declaration stays")
            << u"encoding"_qs << u"version=\"1.0\" encoding=\"UTF-8\"?"_qs << u"UTF-8?"_qs;
    QTest::newRow("lone question mark matches nothing") << u"?"_qs << u"version=\"1.0\" ?"_qs << QString();
    QTest::newRow("piece without equals sign named like the attribute") << u"type"_qs << u"type"_qs << QString();
    QTest::newRow("piece without equals sign does not replace a match")
            << u"type"_qs << u"type=\"menu\" type"_qs << u"menu"_qs;
    QTest::newRow("empty piece between two blanks matches nothing") << QString() << u"a=\"1\"  b=\"2\""_qs << QString();
    QTest::newRow("two blanks do not hide the next piece") << u"b"_qs << u"a=\"1\"  b=\"2\""_qs << u"2"_qs;
}

void TestMarkupReader::getAttribute()
{
    QFETCH(QString, attributeName);
    QFETCH(QString, attributeText);
    QFETCH(QString, expected);
    QCOMPARE(GetAttribute(attributeName, attributeText), expected);
}

QTEST_GUILESS_MAIN(TestMarkupReader)
#include "tst_markupreader.moc"

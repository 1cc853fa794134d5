// Tests of feedsmith-cli: its commands on the example project, its exit codes and its messages.
#include "core/document/feeddocument.h"
#include "core/locale/keyedtexts.h"
#include "core/project/projectreader.h"

#include "testsupport.h"

#include <QDir>
#include <QProcess>
#include <QXmlStreamReader>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Feedsmith;
using namespace Qt::StringLiterals;

namespace {

using FeedsmithTest::Run;
using FeedsmithTest::runProgram;

QString exampleProject()
{
    return FeedsmithTest::binDir() + u"/feeds/example.rsx"_s;
}

Run runCli(const QStringList &arguments, const QString &workingFolder, const QString &epoch = {},
           const QString &locale = u"C.UTF-8"_s, const QString &zone = u"Europe/Berlin"_s)
{
    return runProgram(FeedsmithTest::cliPath(), arguments, workingFolder, epoch, locale, zone);
}

// Exactly one line: one line feed, at the end.
bool isOneLine(const QByteArray &text)
{
    return text.endsWith('\n') && text.count('\n') == 1 && text.trimmed().size() > 0;
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// The entry titles of the example project, in the order of its entry groups (key1 first).
const QStringList ExampleTitles = {u"Welcome to the example feed"_s, u"Three tips for good entries"_s,
                                   u"Publishing the feed"_s, u"Tell your readers about the feed"_s};
const QStringList ExampleLinks = {u"https://www.example.com/news/1"_s, u"https://www.example.com/news/2"_s,
                                  u"https://www.example.com/news/3"_s, u"https://www.example.com/news/4"_s};

// 1796000000 seconds after the epoch is Monday, 30 November 2026, 00:53:20 UTC.
const QString Epoch = u"1796000000"_s;
const QString EpochDate = u"Mon, 30 Nov 2026 00:53:20 +0000"_s;

KeyedTexts readerTexts()
{
    KeyedTexts texts;
    texts.insert(u"rootkey"_s, u"My feed"_s);
    texts.insert(u"newentry"_s, u"New entry"_s);
    return texts;
}

// The whole readable content of a project read with the given regional settings.
struct ProjectContent
{
    ChannelSettings channel;
    FtpSettings ftp;
    QList<RSSentry> entries;
    QStringList nodeKeys;
    QStringList captions;
};

ProjectContent readProject(const QString &path, const QLocale &locale)
{
    FeedDocument doc;
    ReadProjectFile(doc, path, FeedsmithTest::binDir(), readerTexts(), locale);
    ProjectContent c;
    c.channel = doc.channel;
    c.ftp = doc.ftp;
    for (int i = 1; i <= doc.entryCount(); ++i)
        c.entries << doc.entries.at(i);
    c.nodeKeys = doc.tree.childKeys(u"root"_s);
    c.captions << doc.tree.caption(u"root"_s);
    for (const QString &key : c.nodeKeys)
        c.captions << doc.tree.caption(key);
    return c;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void helpAndVersion_data();
    void helpAndVersion();
    void rssOfTheExample();
    void rssTwiceGivesTheSameBytes();
    void previewOfTheExample();
    void resaveReadsBackEqual_data();
    void resaveReadsBackEqual();
    void importOfAFeed();
    void failures_data();
    void failures();
    void usageErrors_data();
    void usageErrors();
    void existingOutputUntouchedOnFailure_data();
    void existingOutputUntouchedOnFailure();
    void warnsOfWhatItKeeps_data();
    void warnsOfWhatItKeeps();
    void checkExitsBySeverity_data();
    void checkExitsBySeverity();
    void itemInstantsInEveryZone_data();
    void itemInstantsInEveryZone();
};

void TestCli::initTestCase()
{
    QVERIFY2(QFileInfo(FeedsmithTest::cliPath()).isExecutable(), qPrintable(FeedsmithTest::cliPath()));
    QVERIFY2(QFileInfo::exists(exampleProject()), qPrintable(exampleProject()));
}

void TestCli::helpAndVersion_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArrayList>("mustContain");
    QTest::newRow("--help names the commands") << u"--help"_s << QByteArrayList{"rss", "preview", "resave", "import"};
    QTest::newRow("--version names the program") << u"--version"_s << QByteArrayList{"feedsmith-cli"};
}

void TestCli::helpAndVersion()
{
    QFETCH(QString, option);
    QFETCH(QByteArrayList, mustContain);
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const Run run = runCli({option}, work.path());
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    for (const QByteArray &word : mustContain)
        QVERIFY2(run.out.contains(word), run.out.constData());
    QCOMPARE(run.err, QByteArray());
    QVERIFY(folderEntries(work.path()).isEmpty());
}

void TestCli::rssOfTheExample()
{
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const Run run = runCli({u"rss"_s, exampleProject(), u"feed.xml"_s}, work.path(), Epoch);
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(run.err, QByteArray());

    const QByteArray bytes = FeedsmithTest::readBytes(work.filePath(u"feed.xml"_s));
    QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<rss version=\"2.0\">\r\n"));
    QVERIFY(bytes.endsWith("</rss>\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));

    QXmlStreamReader xml(bytes);
    int items = 0;
    QStringList itemTitles;
    QStringList itemLinks;
    QStringList descriptions;
    QString pubDate;
    QString channelTitle;
    QStringList path;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            path << xml.name().toString();
            const QString where = path.join(u'/');
            if (where == u"rss/channel/item"_s) {
                ++items;
            } else if (where == u"rss/channel/item/title"_s) {
                itemTitles << xml.readElementText();
                path.removeLast();
            } else if (where == u"rss/channel/item/link"_s) {
                itemLinks << xml.readElementText();
                path.removeLast();
            } else if (where == u"rss/channel/item/description"_s) {
                descriptions << xml.readElementText();
                path.removeLast();
            } else if (where == u"rss/channel/pubDate"_s) {
                pubDate = xml.readElementText();
                path.removeLast();
            } else if (where == u"rss/channel/title"_s) {
                channelTitle = xml.readElementText();
                path.removeLast();
            }
        } else if (xml.isEndElement()) {
            path.removeLast();
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(items, 4);
    QCOMPARE(pubDate, EpochDate);
    QCOMPARE(channelTitle, u"Feedsmith example feed"_s);
    // Newest first: the last entry group of the project is the first item.
    QStringList newestFirst = ExampleTitles;
    std::reverse(newestFirst.begin(), newestFirst.end());
    QCOMPARE(itemTitles, newestFirst);
    QStringList linksNewestFirst = ExampleLinks;
    std::reverse(linksNewestFirst.begin(), linksNewestFirst.end());
    QCOMPARE(itemLinks, linksNewestFirst);
    // Bodies arrive as HTML, unescaped and without the style block.
    QCOMPARE(descriptions.size(), 4);
    QVERIFY(descriptions.at(0).startsWith(u"<p>The feed is online. Put a link to it on your home page so visitors can "
                                          "subscribe, for example on "_s));
    QVERIFY(descriptions.at(0).endsWith(u"<p>Thank you for reading!</p>"_s));
    QVERIFY(descriptions.at(3).startsWith(u"<p>Welcome to the example feed, made with <b>Feedsmith</b>.</p><p>This "
                                          "project shows"_s));
    for (const QString &d : descriptions)
        QVERIFY(!d.contains(u"<style"_s));
}

void TestCli::rssTwiceGivesTheSameBytes()
{
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const Run first = runCli({u"rss"_s, exampleProject(), u"a.xml"_s}, work.path(), Epoch);
    const Run second = runCli({u"rss"_s, exampleProject(), u"b.xml"_s}, work.path(), Epoch);
    QVERIFY(first.finished && second.finished);
    QCOMPARE(first.exitCode, 0);
    QCOMPARE(second.exitCode, 0);
    const QByteArray a = FeedsmithTest::readBytes(work.filePath(u"a.xml"_s));
    QVERIFY(!a.isEmpty());
    QCOMPARE(FeedsmithTest::readBytes(work.filePath(u"b.xml"_s)), a);
    QVERIFY(a.contains(QByteArray("<pubDate>" + EpochDate.toLatin1() + "</pubDate>")));
}

void TestCli::previewOfTheExample()
{
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const Run run = runCli({u"preview"_s, exampleProject(), u"page.html"_s}, work.path());
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(run.err, QByteArray());

    const QString page = QString::fromLatin1(FeedsmithTest::readBytes(work.filePath(u"page.html"_s)));
    QVERIFY(page.contains(u"<title>Feedsmith example feed</title>"_s));
    // Every title as a link, the newest entry first.
    qsizetype previous = page.size();
    for (int i = 0; i < ExampleTitles.size(); ++i) {
        const QString link = u"<a href=\""_s + ExampleLinks.at(i) + u"\">"_s + ExampleTitles.at(i) + u"</a>"_s;
        const qsizetype at = page.indexOf(link);
        QVERIFY2(at >= 0, qPrintable(link));
        QVERIFY2(at < previous, qPrintable(u"out of order: "_s + ExampleTitles.at(i)));
        previous = at;
    }
    // The bodies are in, as HTML.
    QVERIFY(page.contains(u"<p>Thank you for reading!</p>"_s));
    QVERIFY(!page.contains(u"{ENTRIES}"_s, Qt::CaseInsensitive));
    QVERIFY(!page.contains(u"{DESCRIPTION}"_s, Qt::CaseInsensitive));
    QVERIFY(!page.contains(u"{STYLES}"_s, Qt::CaseInsensitive));
    // Nothing else was written into the working folder.
    QCOMPARE(folderEntries(work.path()), QStringList{u"page.html"_s});
}

void TestCli::resaveReadsBackEqual_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("firstDateLine");

    QTest::newRow("German regional settings") << u"de_DE.UTF-8"_s << QLocale(QLocale::German, QLocale::Germany)
                                              << QByteArray("\t\t<date>2026-11-02 09:30:00 +01:00</date>\r\n");
    QTest::newRow("US regional settings") << u"en_US.UTF-8"_s << QLocale(QLocale::English, QLocale::UnitedStates)
                                          << QByteArray("\t\t<date>2026-11-02 09:30:00 +01:00</date>\r\n");
}

void TestCli::resaveReadsBackEqual()
{
    QFETCH(QString, localeName);
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, firstDateLine);

    QTemporaryDir work;
    QVERIFY(work.isValid());
    const Run first = runCli({u"resave"_s, exampleProject(), u"a.rsx"_s}, work.path(), {}, localeName);
    QVERIFY(first.finished);
    QVERIFY2(first.exitCode == 0, first.err.constData());
    QCOMPARE(first.err, QByteArray());
    const QByteArray a = FeedsmithTest::readBytes(work.filePath(u"a.rsx"_s));
    QVERIFY(a.startsWith("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<settings>\r\n"));
    // Dates are written in one form whatever the regional settings.
    QVERIFY2(a.contains(firstDateLine), a.constData());

    const ProjectContent original = readProject(exampleProject(), locale);
    const ProjectContent resaved = readProject(work.filePath(u"a.rsx"_s), locale);
    QCOMPARE(original.entries.size(), 4);
    QVERIFY(original.channel == resaved.channel);
    QVERIFY(original.ftp == resaved.ftp);
    QCOMPARE(resaved.entries.size(), original.entries.size());
    for (int i = 0; i < original.entries.size(); ++i) {
        QCOMPARE(resaved.entries.at(i).title, original.entries.at(i).title);
        QCOMPARE(resaved.entries.at(i).link, original.entries.at(i).link);
        QCOMPARE(resaved.entries.at(i).content, original.entries.at(i).content);
        QCOMPARE(resaved.entries.at(i).createdate, original.entries.at(i).createdate);
    }
    QCOMPARE(resaved.nodeKeys, original.nodeKeys);
    QCOMPARE(resaved.captions, original.captions);
    QCOMPARE(original.entries.at(0).createdate, QDateTime(QDate(2026, 11, 2), QTime(9, 30)));

    // Saving the saved project again changes nothing; under another name (as news.xml, say) it
    // is read as it is named.
    QVERIFY(QFile::copy(work.filePath(u"a.rsx"_s), work.filePath(u"a.xml"_s)));
    const Run second = runCli({u"resave"_s, u"a.xml"_s, u"b.rsx"_s}, work.path(), {}, localeName);
    QVERIFY(second.finished);
    QVERIFY2(second.exitCode == 0, second.err.constData());
    QCOMPARE(FeedsmithTest::readBytes(work.filePath(u"b.rsx"_s)), a);
}

void TestCli::importOfAFeed()
{
    QTemporaryDir work;
    const Run run = runCli({u"import"_s, QStringLiteral(FEEDSMITH_TEST_DATA) + u"/feeds/npm-rss.xml"_s, u"cafe.rsx"_s},
                           work.path());
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY(run.out.contains("(2 entries)"));
    const ProjectContent project = readProject(work.filePath(u"cafe.rsx"_s), QLocale::c());
    QCOMPARE(project.channel.title, u"Café Notes"_s);
    QCOMPARE(project.entries.size(), 2);
    QCOMPARE(project.entries.at(1).title, u"Opening hours"_s); // the feed's first item is the newest entry
    // An imported project is a new one: its letters are kept, and the file says how it is encoded.
    QCOMPARE(project.channel.keepaccents, u"1"_s);
    QVERIFY(FeedsmithTest::readBytes(work.filePath(u"cafe.rsx"_s)).contains("<title>Caf\xe9 Notes</title>"));
}

// What a project holds that cannot be used as it stands is kept, and the command says so on
// standard error, naming it, and succeeds.
void TestCli::warnsOfWhatItKeeps_data()
{
    QTest::addColumn<QByteArray>("project");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("warning");
    QTest::addColumn<QByteArrayList>("written"); // "!" first: must not be written

    const QByteArray example = FeedsmithTest::readBytes(exampleProject());
    const QByteArray cut = example.left(example.lastIndexOf("<title>Tell your readers") + 40);
    QTest::newRow("file cut off inside an entry")
            << cut << u"resave"_s << "ends at line " + QByteArray::number(cut.count('\n') + 1) + " before its end"
            << QByteArrayList{"<title>Tell your readers about the feed</title>"};
    const QByteArray undated =
            "<settings>\r\n\t<itemids>1</itemids>\r\n</settings>\r\n<entries>\r\n\t<entry>\r\n"
            "\t\t<title>Alt</title>\r\n\t\t<date>gestern 10 Uhr</date>\r\n\t</entry>\r\n</entries>\r\n";
    QTest::newRow("date that cannot be read, in the feed")
            << undated << u"rss"_s << "Entry 1 (\"Alt\") has the date \"gestern 10 Uhr\""_ba
            << QByteArrayList{"<guid isPermaLink=\"false\">urn:feedsmith:gestern 10 Uhr</guid>", "!\t\t<pubDate>"};
    QTest::newRow("date that cannot be read, saved again")
            << undated << u"resave"_s << "cannot be read as a date"_ba << QByteArrayList{"<date>gestern 10 Uhr</date>"};
    QTest::newRow("time to live in words")
            << "<settings>\r\n\t<title>T</title>\r\n\t<ttl>one hour</ttl>\r\n</settings>\r\n"_ba << u"rss"_s
            << "time to live \"one hour\" is not a whole number"_ba << QByteArrayList{"<title>T</title>", "!<ttl>"};
}

void TestCli::warnsOfWhatItKeeps()
{
    QFETCH(QByteArray, project);
    QFETCH(QString, command);
    QFETCH(QByteArray, warning);
    QTemporaryDir work;
    QVERIFY(FeedsmithTest::writeBytes(work.filePath(u"p.rsx"_s), project));
    const Run run = runCli({command, u"p.rsx"_s, u"out"_s}, work.path(), Epoch);
    QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
    QVERIFY2(run.err.startsWith("feedsmith-cli: warning: p.rsx: ") && run.err.contains(warning), run.err.constData());
    const QByteArray out = FeedsmithTest::readBytes(work.filePath(u"out"_s));
    QFETCH(QByteArrayList, written);
    for (const QByteArray &text : written)
        QVERIFY2(text.startsWith('!') ? !out.contains(text.mid(1)) : out.contains(text), out.constData());
}

void TestCli::failures_data()
{
    QTest::addColumn<QStringList>("arguments"); // {EXAMPLE} stands for the example project
    QTest::addColumn<QString>("epoch");
    QTest::addColumn<QString>("folderToMake"); // made in the working folder before the run

    const QString ex = u"{EXAMPLE}"_s;
    QTest::newRow("rss of a missing project")
            << QStringList{u"rss"_s, u"missing.rsx"_s, u"out.xml"_s} << Epoch << QString();
    QTest::newRow("preview of a missing project")
            << QStringList{u"preview"_s, u"missing.rsx"_s, u"out.html"_s} << QString() << QString();
    QTest::newRow("resave of a missing project")
            << QStringList{u"resave"_s, u"missing.rsx"_s, u"out.rsx"_s} << QString() << QString();
    QTest::newRow("project name without .rsx whose .xml is missing")
            << QStringList{u"rss"_s, u"missing"_s, u"out.xml"_s} << Epoch << QString();
    QTest::newRow("project that is a folder")
            << QStringList{u"rss"_s, u"proj.rsx"_s, u"out.xml"_s} << Epoch << u"proj.rsx"_s;
    QTest::newRow("rss into a missing folder") << QStringList{u"rss"_s, ex, u"nowhere/out.xml"_s} << Epoch << QString();
    QTest::newRow("preview into a missing folder")
            << QStringList{u"preview"_s, ex, u"nowhere/out.html"_s} << QString() << QString();
    QTest::newRow("resave into a missing folder")
            << QStringList{u"resave"_s, ex, u"nowhere/out.rsx"_s} << QString() << QString();
    QTest::newRow("rss onto a folder") << QStringList{u"rss"_s, ex, u"out.xml"_s} << Epoch << u"out.xml"_s;
    QTest::newRow("preview onto a folder")
            << QStringList{u"preview"_s, ex, u"out.html"_s} << QString() << u"out.html"_s;
    QTest::newRow("resave onto a folder") << QStringList{u"resave"_s, ex, u"out.rsx"_s} << QString() << u"out.rsx"_s;
    // Only regular files are read: a device or a pipe is refused before reading.
    QTest::newRow("project that is a link to /dev/zero")
            << QStringList{u"rss"_s, u"zero.rsx"_s, u"out.xml"_s} << Epoch << u"zero.rsx->/dev/zero"_s;
    QTest::newRow("project that is a link to /dev/urandom")
            << QStringList{u"preview"_s, u"random.rsx"_s, u"out.html"_s} << Epoch << u"random.rsx->/dev/urandom"_s;
    QTest::newRow("project that is a FIFO")
            << QStringList{u"resave"_s, u"fifo.rsx"_s, u"out.rsx"_s} << Epoch << u"fifo.rsx|"_s;
    QTest::newRow("import of a missing feed")
            << QStringList{u"import"_s, u"missing.xml"_s, u"out.rsx"_s} << QString() << QString();
    QTest::newRow("import of an HTML page")
            << QStringList{u"import"_s, FeedsmithTest::resourceDir() + u"/preview.html"_s, u"out.rsx"_s} << QString()
            << QString();
    // A file that is no project (a template, an RSS file) is refused, not opened empty.
    QTest::newRow("project that is an HTML page")
            << QStringList{u"resave"_s, u"page.rsx"_s, u"out.rsx"_s} << Epoch
            << u"page.rsx->"_s + FeedsmithTest::resourceDir() + u"/preview.html"_s;
    // No command writes over its input, by any name, nor over a device or a pipe.
    QTest::newRow("rss over its own project") << QStringList{u"rss"_s, u"p.rsx"_s, u"p.rsx"_s} << Epoch << u"p.rsx<"_s;
    QTest::newRow("resave over its project through a link")
            << QStringList{u"resave"_s, u"p.rsx"_s, u"out.rsx"_s} << QString() << u"p.rsx<;out.rsx->p.rsx"_s;
    QTest::newRow("preview over another name of its project")
            << QStringList{u"preview"_s, u"p.rsx"_s, u"p.html"_s} << QString() << u"p.rsx<;p.html=>p.rsx"_s;
    QTest::newRow("import over its own input")
            << QStringList{u"import"_s, u"f.xml"_s, u"f.xml"_s} << QString() << u"f.xml<"_s;
    QTest::newRow("rss onto a pipe") << QStringList{u"rss"_s, ex, u"out.xml"_s} << Epoch << u"out.xml|"_s;
    QTest::newRow("rss onto a link to /dev/null")
            << QStringList{u"rss"_s, ex, u"null.xml"_s} << Epoch << u"null.xml->/dev/null"_s;
}

void TestCli::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, epoch);
    QFETCH(QString, folderToMake);

    QTemporaryDir work;
    QVERIFY(work.isValid());
    // Made in the working folder, separated by ";": "name->target" a link, "name=>target" a hard
    // link, "name|" a FIFO, "name<" a copy of the example project, anything else a folder.
    const QByteArray example = FeedsmithTest::readBytes(exampleProject());
    QStringList made;
    for (QString item : folderToMake.split(u';', Qt::SkipEmptyParts)) {
        const QStringList link = item.split(u"->"_s), hard = item.split(u"=>"_s);
        const QByteArray name = QFile::encodeName(work.filePath(item = item.section(u'-', 0, 0).section(u'=', 0, 0)));
        if (item.endsWith(u'|') || item.endsWith(u'<'))
            item.chop(1);
        if (link.size() == 2)
            QVERIFY(QFile::link(link.at(1), work.filePath(item)));
        else if (hard.size() == 2)
            QCOMPARE(::link(QFile::encodeName(work.filePath(hard.at(1))).constData(), name.constData()), 0);
        else if (name.endsWith('|'))
            QCOMPARE(::mkfifo(name.chopped(1).constData(), 0600), 0);
        else if (name.endsWith('<'))
            QVERIFY(FeedsmithTest::writeBytes(work.filePath(item), example));
        else
            QVERIFY(QDir(work.path()).mkdir(item));
        made << item;
    }
    made.sort();
    arguments.replaceInStrings(u"{EXAMPLE}"_s, exampleProject());

    const Run run = runCli(arguments, work.path(), epoch);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(isOneLine(run.err), run.err.constData());
    QVERIFY2(!run.err.contains("no such file") || folderToMake.isEmpty(), run.err.constData());
    QCOMPARE(run.out, QByteArray());
    // Nothing was written: the working folder holds what it held before.
    QCOMPARE(folderEntries(work.path()), made);
    for (const QString &name : made) {
        const QFileInfo info(work.filePath(name));
        QVERIFY(!info.isDir() || QDir(info.filePath()).isEmpty());
        QVERIFY(!info.isFile() || info.isSymLink() || FeedsmithTest::readBytes(info.filePath()) == example);
    }
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("epoch");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("unknown command") << QStringList{u"publish"_s, u"a.rsx"_s, u"b.xml"_s} << Epoch << QByteArray();
    QTest::newRow("command in capitals") << QStringList{u"RSS"_s, u"a.rsx"_s, u"b.xml"_s} << Epoch << QByteArray();
    QTest::newRow("no arguments") << QStringList{} << Epoch << QByteArray();
    QTest::newRow("rss without an output") << QStringList{u"rss"_s, u"{EXAMPLE}"_s} << Epoch << QByteArray();
    QTest::newRow("rss with one argument too many")
            << QStringList{u"rss"_s, u"{EXAMPLE}"_s, u"a.xml"_s, u"b.xml"_s} << Epoch << QByteArray();
    // A date that is not one is never replaced by the clock.
    const QStringList rss{u"rss"_s, u"{EXAMPLE}"_s, u"out.xml"_s};
    const QByteArray notNumber = "SOURCE_DATE_EPOCH is not a whole number of seconds\n";
    const QByteArray outOfRange = "SOURCE_DATE_EPOCH is out of range";
    QTest::newRow("SOURCE_DATE_EPOCH with letters") << rss << u"abc"_s << notNumber;
    QTest::newRow("SOURCE_DATE_EPOCH with a fraction") << rss << u"1.5"_s << notNumber;
    QTest::newRow("SOURCE_DATE_EPOCH with trailing letters") << rss << u"1796000000s"_s << notNumber;
    QTest::newRow("SOURCE_DATE_EPOCH beyond 64 bits") << rss << u"99999999999999999999"_s << notNumber;
    QTest::newRow("SOURCE_DATE_EPOCH before 1970") << rss << u"-1"_s << outOfRange;
    QTest::newRow("SOURCE_DATE_EPOCH in the year 10000") << rss << u"253402300800"_s << outOfRange;
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, epoch);
    QFETCH(QByteArray, message);
    arguments.replaceInStrings(u"{EXAMPLE}"_s, exampleProject());
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const Run run = runCli(arguments, work.path(), epoch);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(!run.err.isEmpty());
    QVERIFY2(run.err.contains(message), run.err.constData());
    QCOMPARE(run.out, QByteArray());
    QVERIFY(folderEntries(work.path()).isEmpty());
}

void TestCli::existingOutputUntouchedOnFailure_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("project"); // {EXAMPLE} stands for the example project
    QTest::addColumn<QString>("epoch");
    QTest::addColumn<bool>("sizeLimit"); // run with a file size limit below the output's size
    QTest::addColumn<int>("exitCode");

    QTest::newRow("rss of a missing project") << u"rss"_s << u"missing.rsx"_s << Epoch << false << 1;
    QTest::newRow("resave of a missing project") << u"resave"_s << u"missing.rsx"_s << QString() << false << 1;
    QTest::newRow("preview of a missing project") << u"preview"_s << u"missing.rsx"_s << QString() << false << 1;
    QTest::newRow("rss with a bad SOURCE_DATE_EPOCH") << u"rss"_s << u"{EXAMPLE}"_s << u"soon"_s << false << 2;
    QTest::newRow("rss stopped by the file size limit") << u"rss"_s << u"{EXAMPLE}"_s << Epoch << true << 1;
    QTest::newRow("resave stopped by the file size limit") << u"resave"_s << u"{EXAMPLE}"_s << QString() << true << 1;
    QTest::newRow("preview stopped by the file size limit") << u"preview"_s << u"{EXAMPLE}"_s << QString() << true << 1;
}

void TestCli::existingOutputUntouchedOnFailure()
{
    QFETCH(QString, command);
    QFETCH(QString, project);
    QFETCH(QString, epoch);
    QFETCH(bool, sizeLimit);
    QFETCH(int, exitCode);
    project.replace(u"{EXAMPLE}"_s, exampleProject());

    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QByteArray previous = "previous output\r\n";
    QVERIFY(FeedsmithTest::writeBytes(work.filePath(u"out.file"_s), previous));

    Run run;
    if (sizeLimit) {
        // The shell lowers the limit to one block; every output of the example is larger.
        run = runProgram(u"/bin/sh"_s,
                         {u"-c"_s, u"ulimit -f 1 && exec \"$0\" \"$@\""_s, FeedsmithTest::cliPath(), command, project,
                          u"out.file"_s},
                         work.path(), epoch);
    } else {
        run = runCli({command, project, u"out.file"_s}, work.path(), epoch);
    }
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(isOneLine(run.err), run.err.constData());
    if (sizeLimit)
        QVERIFY2(run.err.contains("the file would exceed the file-size limit"), run.err.constData());
    QCOMPARE(FeedsmithTest::readBytes(work.filePath(u"out.file"_s)), previous);
    // No half-written file is left beside it.
    QCOMPARE(folderEntries(work.path()), QStringList{u"out.file"_s});
}

// One finding a line on standard output; the exit status says the worst of them.
void TestCli::checkExitsBySeverity_data()
{
    QTest::addColumn<QByteArray>("project"); // empty: the example project
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("locale");
    QTest::newRow("the example passes") << QByteArray() << 0 << QByteArray() << u"C.UTF-8"_s;
    const QByteArray channel = "<settings>\r\n\t<title>T</title>\r\n\t<link>https://e.org/</link>\r\n";
    QTest::newRow("warnings only")
            << channel + "\t<description>D</description>\r\n\t<ttl>one hour</ttl>\r\n</settings>\r\n"
            << 1
            << "warning [ttl]: The time to live \"one hour\" is not a whole number of minutes; the feed leaves it "
               "out.\n"_ba
            << u"C.UTF-8"_s;
    QTest::newRow("an error") << channel + "</settings>\r\n"
                              << 2 << "error [description]: The feed has no description; RSS requires one.\n"_ba
                              << u"C.UTF-8"_s;
    QTest::newRow("in the interface language")
            << channel + "</settings>\r\n"
            << 2 << "error [description]: Der Feed hat keine Beschreibung; RSS verlangt eine.\n"_ba << u"de_DE.UTF-8"_s;
    QTest::newRow("direction controls and line separators of the project shown as ?")
            << channel + "\t<description>D</description>\r\n\t<ttl>1\u202E2\u20283</ttl>\r\n</settings>\r\n"
            << 1
            << "warning [ttl]: The time to live \"1?2?3\" is not a whole number of minutes; the feed leaves it out.\n"_ba
            << u"C.UTF-8"_s;
    const QByteArray script = QByteArray(channel).replace("https://e.org/", "JavaScript:x")
            + "\t<description>D</description>\r\n</settings>\r\n";
    QTest::newRow("javascript: link")
            << script << 2
            << "error [link]: The field \"Link\" holds the javascript: address JavaScript:x; a feed must not hold a "
               "javascript:, data: or file: address, since readers cannot or must not open it.\n"_ba
            << u"C.UTF-8"_s;
    QTest::newRow("javascript: link, in the interface language")
            << script << 2
            << "error [link]: Das Feld \u201ELink\u201C enth\u00E4lt die javascript:-Adresse JavaScript:x; ein Feed "
               "darf keine javascript:-, data:- oder file:-Adresse enthalten, da Feedreader sie nicht \u00F6ffnen "
               "k\u00F6nnen oder d\u00FCrfen.\n"_ba
            << u"de_DE.UTF-8"_s;
}

void TestCli::checkExitsBySeverity()
{
    QFETCH(QByteArray, project);
    QFETCH(int, exitCode);
    QTemporaryDir work;
    QVERIFY(FeedsmithTest::writeBytes(work.filePath(u"p.rsx"_s), project));
    QFETCH(QString, locale);
    const Run run = runCli({u"check"_s, project.isEmpty() ? exampleProject() : u"p.rsx"_s}, work.path(), {}, locale);
    QVERIFY2(run.finished && run.exitCode == exitCode, run.err.constData());
    QTEST(run.out, "out");
}

// A project generated on a machine in another time zone gives its items the same instants once it
// stores its dates with their offsets; a file without them reads as local time, as before.
void TestCli::itemInstantsInEveryZone_data()
{
    QTest::addColumn<QByteArray>("dates"); // the date lines of the one entry
    QTest::addColumn<bool>("resaved"); // saved again by this version, under Europe/Berlin
    QTest::addColumn<int>("shift"); // seconds the item lies later under UTC than under Europe/Berlin
    const QByteArray date = "\t\t<date>2026-11-02 09:30:00</date>\r\n";
    QTest::newRow("dates of an earlier version are local times") << date << false << 3600;
    QTest::newRow("a resaved project keeps its instants") << date << true << 0;
    QTest::newRow("publication date typed as a local time")
            << date + "\t\t<pubdate>16.11.2026 08:00</pubdate>" << true << 0;
}

void TestCli::itemInstantsInEveryZone()
{
    QFETCH(QByteArray, dates);
    QFETCH(bool, resaved);
    QTemporaryDir work;
    QVERIFY(FeedsmithTest::writeBytes(work.filePath(u"p.rsx"_s),
                                      "<settings>\r\n\t<itemids>1</itemids>\r\n</settings>\r\n"
                                      "<entries>\r\n\t<entry>\r\n"
                                              + dates + "\r\n\t</entry>\r\n</entries>\r\n"));
    const QString project = resaved ? u"q.rsx"_s : u"p.rsx"_s;
    QVERIFY(!resaved || runCli({u"resave"_s, u"p.rsx"_s, project}, work.path()).exitCode == 0);
    QList<QDateTime> instants;
    for (const QString &zone : {u"Europe/Berlin"_s, u"UTC"_s}) {
        QCOMPARE(runCli({u"rss"_s, project, u"feed.xml"_s}, work.path(), Epoch, u"C.UTF-8"_s, zone).exitCode, 0);
        const QString feed = QString::fromLatin1(FeedsmithTest::readBytes(work.filePath(u"feed.xml"_s)));
        const qsizetype at = feed.lastIndexOf(u"<pubDate>"_s) + 9; // the item's, after the channel's
        instants << QDateTime::fromString(feed.mid(at, 31), Qt::RFC2822Date);
    }
    QTEST(int(instants.at(0).secsTo(instants.at(1))), "shift");
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

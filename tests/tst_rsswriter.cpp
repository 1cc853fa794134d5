// Tests of the RSS 2.0 writer: line layout, item choice, descriptions, dates, XML safety, atomic writes.
#include "core/document/entryfields.h"
#include "core/document/media.h"
#include "core/output/feedcheck.h"
#include "core/output/podcast.h"
#include "core/output/podcasting.h"
#include "core/output/rsswriter.h"
#include "core/output/xmltext.h"
#include "core/project/projectwriter.h"
#include "core/text/codepagetext.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"
#include "testsupport.h"

#include <QXmlStreamReader>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Feedsmith;
using namespace Qt::StringLiterals;

namespace {

struct ParsedItem
{
    QString title, link, description;
};

// What an XML parser reads from a feed: channel values, image values and the items in order.
struct ParsedFeed
{
    QString error;
    QMap<QString, QString> channel, image;
    QList<ParsedItem> items;
};

ParsedFeed parseFeed(const QByteArray &bytes)
{
    ParsedFeed feed;
    QXmlStreamReader xml(bytes);
    QStringList path; // open elements; leaves are read whole with readElementText
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement()) {
            path.removeLast();
            continue;
        }
        if (!xml.isStartElement())
            continue;
        const QString name = xml.name().toString();
        const QString parent = path.value(path.size() - 1);
        if (path.size() == 2 && name != "image"_L1 && name != "item"_L1) {
            feed.channel[name] = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (path.size() == 3 && parent == "image"_L1) {
            feed.image[name] = xml.readElementText();
        } else if (path.size() == 3 && parent == "item"_L1) {
            ParsedItem &item = feed.items.last();
            QString &field = name == "title"_L1 ? item.title : name == "link"_L1 ? item.link : item.description;
            field = xml.readElementText();
        } else {
            if (name == "item"_L1)
                feed.items.append(ParsedItem());
            path << name;
        }
    }
    if (xml.hasError())
        feed.error = u"line %1, column %2: %3"_s.arg(xml.lineNumber()).arg(xml.columnNumber()).arg(xml.errorString());
    return feed;
}

// Why the bytes are no proper RSS file (ASCII only, every line ended by CR LF, well-formed XML), or empty.
QString fileProblem(const QByteArray &bytes)
{
    if (!bytes.endsWith("</rss>\r\n"))
        return u"the file does not end with </rss> and CR LF"_s;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80)
            return u"byte 0x%1 at offset %2 is not ASCII"_s.arg(int(c), 0, 16).arg(i);
        if ((c == '\n' && (i == 0 || bytes[i - 1] != '\r')) || (c == '\r' && bytes.at(i + 1) != '\n'))
            return u"a lone line break at offset %1"_s.arg(i);
    }
    const QString error = parseFeed(bytes).error;
    return error.isEmpty() ? QString() : u"not well-formed XML: "_s + error;
}

// Every RSS file a test produces goes through this check.
#define VERIFY_RSS_FILE(bytes)                                                                                         \
    do {                                                                                                               \
        const QString problem_ = fileProblem(bytes);                                                                   \
        QVERIFY2(problem_.isEmpty(), qPrintable(problem_ + u"\n"_s + QString::fromLatin1(bytes)));                     \
    } while (false)

const QString TestStyleBlock = StyleBlockFor(u"p { margin: 0; }"_s);

QDateTime winterMoment()
{
    return QDateTime(QDate(2027, 3, 1), QTime(9, 5, 7), QTimeZone("Europe/Berlin"));
}

QByteArray build(FeedDocument &document, const QString &styleBlock = TestStyleBlock)
{
    return BuildRssFile(document, styleBlock, winterMoment(), QLocale::c());
}

// An MP3 of 65 seconds of silence, made by lame from raw samples (8 kHz, mono, 16 bits).
bool generatedMp3(const QString &path)
{
    QProcess lame;
    lame.start(u"lame"_s, u"--silent -r -s 8 -m m --bitwidth 16 --signed -b 8 -"_s.split(u' ') << path);
    lame.write(QByteArray(65 * 8000 * 2, '\0'));
    lame.closeWriteChannel();
    return lame.waitForFinished(60000) && lame.exitCode() == 0 && QFileInfo(path).size() > 0;
}

void fillChannel(ChannelSettings &c)
{
    c = {u"My news"_s,
         u"https://example.org/"_s,
         u"News of the day"_s,
         u"en"_s,
         u"3"_s,
         u"editor@example.org"_s,
         u"webmaster@example.org"_s,
         u"Tech"_s,
         u"60"_s,
         u"https://example.org/logo.png"_s,
         u"Logo"_s,
         u"https://example.org/home"_s,
         {},
         {}}; // the options stay off
}

// Sets fields by "key=value" ("key" alone sets "1"): a channel or FTP field, else one of entry 1.
void setFields(FeedDocument &document, const QStringList &changes)
{
    for (const QString &change : changes) {
        const QString key = change.section(u'=', 0, 0);
        const QString value = change.contains(u'=') ? change.section(u'=', 1) : u"1"_s;
        if (const DocumentField *field = documentField(key))
            field->value(document) = value;
        else
            entryField(key)->value(document.entries.at(1)) = value;
    }
}

// The file of the channel of fillChannel with one entry, written by hand from the line table.
QByteArray fullFile()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<rss version=\"2.0\">\r\n\t<channel>\r\n"
           "\t<title>My news</title>\r\n\t<link>https://example.org/</link>\r\n"
           "\t<description>News of the day</description>\r\n\t<language>en</language>\r\n"
           "\t<pubDate>Mon, 01 Mar 2027 09:05:07 +0100</pubDate>\r\n\t<docs>"
            + QByteArray(RssDocsUrl)
            + "</docs>\r\n\t<managingEditor>editor@example.org</managingEditor>\r\n"
              "\t<webMaster>webmaster@example.org</webMaster>\r\n\t<category>Tech</category>\r\n\t<ttl>60</ttl>\r\n"
              "\t<image>\r\n\t\t<url>https://example.org/logo.png</url>\r\n\t\t<title>Logo</title>\r\n"
              "\t\t<link>https://example.org/home</link>\r\n\t</image>\r\n"
              "\t<item>\r\n\t\t<title>First</title>\r\n\t\t<link>https://example.org/1</link>\r\n"
              "\t\t<description><![CDATA[<p>Hello</p>]]></description>\r\n\t</item>\r\n"
              "\t</channel>\r\n</rss>\r\n";
}

// The description of the single item of a feed with one entry holding this content.
QString descriptionOf(const QString &content, const QString &styleBlock, QByteArray *bytes)
{
    FeedDocument document;
    document.entries.append(RSSentry{u"t"_s, {}, content});
    *bytes = build(document, styleBlock);
    const ParsedFeed feed = parseFeed(*bytes);
    return feed.items.size() == 1 ? feed.items.first().description : u"<no single item>"_s;
}

} // namespace

class TestRssWriter : public QObject
{
    Q_OBJECT

private slots:
    void mayReplaceWithRss_data();
    void mayReplaceWithRss();
    void channelLayout()
    {
        QVERIFY(QByteArray(RssDocsUrl).startsWith("http"));
        FeedDocument document;
        fillChannel(document.channel);
        document.entries.append(RSSentry{u"First"_s, u"https://example.org/1"_s,
                                         u"<html><head></head><body><p>Hello</p></body></html>"_s});
        const QByteArray bytes = build(document);
        VERIFY_RSS_FILE(bytes);
        // The number field ("3") has no line of its own.
        QCOMPARE(bytes, fullFile());
    }

    void optionsAddToTheFile_data()
    {
        // Options set, a second entry's title (none: one entry only), and what changes in the
        // file of channelLayout: pairs of text and its replacement.
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("secondTitle");
        QTest::addColumn<QList<QByteArray>>("changes");
        const QByteArray item = "\t\t<description><![CDATA[<p>Hello</p>]]></description>\r\n";
        const QByteArray dated = item + "\t\t<pubDate>Mon, 01 Mar 2027 09:05:07 +0100</pubDate>\r\n";
        QTest::newRow("dates and IDs")
                << QStringList{u"itemids"_s} << QString()
                << QList<QByteArray>{
                           item,
                           dated
                                   + "\t\t<guid "
                                     "isPermaLink=\"false\">https://example.org/#2027-03-01T09:05:07</guid>\r\n"};
        QTest::newRow("dates and IDs with the public address")
                << QStringList{u"itemids"_s, u"feedurl=https://example.org/feed.xml?a=1&b=\"2\""_s} << QString()
                << QList<QByteArray>{
                           "<rss version=\"2.0\">\r\n\t<channel>\r\n",
                           "<rss version=\"2.0\" xmlns:atom=\"http://www.w3.org/2005/Atom\">\r\n\t<channel>\r\n"
                           "\t<atom:link href=\"https://example.org/feed.xml?a=1&amp;b=&quot;2&quot;\" "
                           "rel=\"self\" type=\"application/rss+xml\" />\r\n",
                           item,
                           dated
                                   + "\t\t<guid "
                                     "isPermaLink=\"false\">https://example.org/#2027-03-01T09:05:07</guid>\r\n"};
        QTest::newRow("a publication date stored with its offset is written in it")
                << QStringList{u"itemids"_s, u"pubdate=2027-03-01 03:05:07 -0500"_s} << QString()
                << QList<QByteArray>{
                           item,
                           item
                                   + "\t\t<pubDate>Mon, 01 Mar 2027 03:05:07 -0500</pubDate>\r\n\t\t<guid "
                                     "isPermaLink=\"false\">https://example.org/#2027-03-01T09:05:07</guid>\r\n"};
        QTest::newRow("the public address alone adds nothing")
                << QStringList{u"feedurl"_s} << QString() << QList<QByteArray>{};
        QTest::newRow("a second entry of the same second")
                << QStringList{u"itemids"_s} << u"Caf\u00e9 \u20ac"_s
                << QList<QByteArray>{"#2027-03-01T09:05:07</guid>\r\n\t</item>\r\n\t<item>",
                                     "#2027-03-01T09:05:07-2</guid>"};
        QTest::newRow("accents transliterated") << QStringList{} << u"Caf\u00e9 \u20ac"_s
                                                << QList<QByteArray>{"<title>Caf", "<title>Cafe Euro</title>"};
        QTest::newRow("accents kept") << QStringList{u"keepaccents"_s} << u"Caf\u00e9 \u20ac"_s
                                      << QList<QByteArray>{"<title>Caf", "<title>Caf&#233; &#8364;</title>"};
        const QByteArray rss = "<rss version=\"2.0\">", image = "\t</image>\r\n",
                         podcastRss =
                                 "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">";
        const QStringList episode = {u"enclosure=https://e.org/1.mp3"_s, u"enclosurelength=123"_s,
                                     u"enclosuretype=audio/mpeg"_s, u"duration=12:34"_s, u"episode=3"_s};
        const QByteArray enclosure =
                item + "\t\t<enclosure url=\"https://e.org/1.mp3\" length=\"123\" type=\"audio/mpeg\" />\r\n";
        QTest::newRow("podcast channel and episode tags")
                << QStringList{u"podcast"_s,
                               u"podcastauthor=Jane"_s,
                               u"podcastowner=Jane Doe"_s,
                               u"podcastemail=j@x"_s,
                               u"podcastimage=https://e.org/c.jpg"_s,
                               u"podcastcategory=Health & Fitness"_s,
                               u"podcastsubcategory=Fitness"_s,
                               u"podcastexplicit"_s,
                               u"podcasttype= Serial"_s,
                               u"season=1"_s,
                               u"explicit"_s}
                        + episode
                << QString()
                << QList<QByteArray>{rss,
                                     podcastRss,
                                     image,
                                     image
                                             + "\t<itunes:author>Jane</itunes:author>\r\n"
                                               "\t<itunes:owner>\r\n\t\t<itunes:name>Jane Doe</itunes:name>\r\n"
                                               "\t\t<itunes:email>j@x</itunes:email>\r\n\t</itunes:owner>\r\n"
                                               "\t<itunes:image href=\"https://e.org/c.jpg\" />\r\n"
                                               "\t<itunes:category text=\"Health &amp; "
                                               "Fitness\">\r\n\t\t<itunes:category text=\"Fitness\" />\r\n"
                                               "\t</itunes:category>\r\n\t<itunes:explicit>true</itunes:explicit>\r\n"
                                               "\t<itunes:type>serial</itunes:type>\r\n",
                                     item,
                                     enclosure
                                             + "\t\t<itunes:duration>12:34</itunes:duration>\r\n"
                                               "\t\t<itunes:episode>3</itunes:episode>\r\n\t\t<itunes:season>1</"
                                               "itunes:season>\r\n"
                                               "\t\t<itunes:explicit>true</itunes:explicit>\r\n"};
        QTest::newRow("podcast entry without enclosure has no episode tags")
                << QStringList{u"podcast"_s, u"duration=5"_s, u"podcastcategory=News"_s} << QString()
                << QList<QByteArray>{rss, podcastRss, image,
                                     image
                                             + "\t<itunes:category text=\"News\" />\r\n"
                                               "\t<itunes:explicit>false</itunes:explicit>\r\n"};
        QTest::newRow("no podcast, no podcast tags") << QStringList{u"podcastauthor=Jane"_s, u"podcastexplicit"_s}
                        + episode << QString() << QList<QByteArray>{item, enclosure};
    }

    void optionsAddToTheFile()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, secondTitle);
        QFETCH(QList<QByteArray>, changes);
        FeedDocument document;
        fillChannel(document.channel);
        document.entries.append(RSSentry{u"First"_s, u"https://example.org/1"_s, u"<body><p>Hello</p></body>"_s,
                                         winterMoment().toLocalTime()});
        setFields(document, options);
        if (!secondTitle.isEmpty())
            document.entries.append(RSSentry{secondTitle, {}, {}, winterMoment().toLocalTime()});
        const QByteArray bytes = build(document);
        VERIFY_RSS_FILE(bytes);
        QByteArray expected = fullFile();
        for (qsizetype i = 0; i + 1 < changes.size(); i += 2) {
            QVERIFY2(bytes.contains(changes[i + 1]), bytes.constData());
            if (secondTitle.isEmpty())
                expected.replace(changes[i], changes[i + 1]);
        }
        if (secondTitle.isEmpty())
            QCOMPARE(bytes, expected);
    }

    void podcastGuid_data()
    {
        QTest::addColumn<QString>("feedUrl");
        QTest::addColumn<QString>("guid");
        QTest::newRow("the podcast namespace's example, the scheme and closing slashes left out")
                << u" HTTP://mp3s.nashownotes.com/pc20rss.xml// "_s << u"917393e3-1b1e-5cef-ace4-edaa54e1f810"_s;
        QTest::newRow("no web address, no GUID") << u"ftp://example.org/feed.xml"_s << QString();
    }

    // Made once for a podcast with a public address, then kept when the address changes.
    void podcastGuid()
    {
        QFETCH(QString, feedUrl);
        QFETCH(QString, guid);
        FeedDocument document;
        document.channel.podcast = u"1"_s;
        document.ftp.feedurl = feedUrl;
        QCOMPARE(SettlePodcastGuid(document), !guid.isEmpty());
        document.ftp.feedurl = u"https://example.org/moved.xml"_s;
        QCOMPARE(SettlePodcastGuid(document), guid.isEmpty());
        QCOMPARE(document.channel.podcastguid, guid.isEmpty() ? PodcastGuid(document.ftp.feedurl) : guid);
    }

    void podcastProblems_data()
    {
        QTest::addColumn<QStringList>("changes"); // to a podcast that passes
        QTest::addColumn<QString>("problem"); // part of each problem reported, "|" between them; empty for none
        const auto row = [](const char *name, const QStringList &changes, const char *problem) {
            QTest::newRow(name) << changes << QString::fromLatin1(problem);
        };
        row("complete podcast", {}, "");
        row("no title", {u"title="_s}, "has no title");
        row("no description", {u"description= "_s}, "has no description");
        row("no language", {u"language="_s}, "has no language");
        row("no link", {u"link="_s}, "has no link");
        row("not a podcast, so not explicit or not", {u"podcast="_s}, "not marked as a podcast");
        row("no artwork", {u"podcastimage="_s}, "has no artwork");
        row("artwork not on the web", {u"podcastimage=cover.jpg"_s}, "must start with http");
        row("no category", {u"podcastcategory="_s}, "has no category");
        row("category not in the list", {u"podcastcategory=Tech"_s}, "\"Tech\" is not");
        row("subcategory of another category", {u"podcastsubcategory=Tech News"_s}, "\"Tech News\" is not");
        row("type neither episodic nor serial", {u"podcasttype=weekly"_s}, "type must be");
        row("no owner e-mail", {u"podcastemail="_s}, "no owner e-mail");
        row("episode without enclosure", {u"enclosure="_s}, "Entry 1 (\"First\") has no enclosure");
        row("enclosure neither audio nor video", {u"enclosuretype=text/html"_s}, "audio or video type");
        row("enclosure without length", {u"enclosurelength=00"_s}, "length in bytes");
        row("episode without ID or date", {u"guid="_s, u"itemids="_s},
            "does not name its own address|no publication dates|has no ID");
        row("ID from entry dates and IDs", {u"guid="_s}, "");
        row("unpublished entry is no episode", {u"enclosure="_s, u"number=00"_s}, "");
    }

    void podcastProblems()
    {
        QFETCH(QStringList, changes);
        QFETCH(QString, problem);
        FeedDocument document;
        fillChannel(document.channel);
        document.entries.append(RSSentry{u"First"_s, {}, {}});
        setFields(document,
                  {u"podcast"_s, u"podcastimage=https://e.org/c.jpg"_s, u"podcastcategory=Health & Fitness"_s,
                   u"podcastsubcategory=Fitness"_s, u"podcastemail=j@x.org"_s, u"guid=urn:x:1"_s,
                   u"enclosure=https://e.org/1.mp3"_s, u"enclosurelength=9"_s, u"enclosuretype=Video/MP4"_s,
                   u"duration=41:38"_s, u"itemids"_s, u"feedurl=https://e.org/feed.xml"_s});
        setFields(document, changes);
        const QStringList problems = PodcastProblems(document, QLocale::c());
        const QStringList parts = problem.split(u'|', Qt::SkipEmptyParts);
        const auto holds = [](const QString &text, const QString &part) { return text.contains(part); };
        QVERIFY2(problems.size() == parts.size() && std::equal(problems.begin(), problems.end(), parts.begin(), holds),
                 qPrintable(problems.join(u'\n')));
    }

    void feedCheck_data()
    {
        QTest::addColumn<QStringList>("changes"); // to a feed that passes
        QTest::addColumn<QString>("finding"); // "error" or "warning", the field, part of its first sentence
        QTest::addColumn<int>("times"); // how many findings concern that field; -1: not counted
        const auto row = [](const char *name, const QStringList &changes, const char *finding, int times = -1) {
            QTest::newRow(name) << changes << QString::fromUtf8(finding) << times;
        };
        // A podcast that passes the directories' rules as well.
        const QStringList podcast = {u"podcast"_s, u"podcastimage=https://example.org/c.jpg"_s,
                                     u"podcastcategory=News"_s, u"podcastemail=p@example.org"_s,
                                     u"duration@1=00:01:00"_s, u"duration@2=60"_s};
        row("valid feed", {}, "");
        row("no description", {u"description= "_s}, "error description has no description");
        row("no title", {u"title="_s, u"imagetitle="_s}, "error title has no title");
        row("editor without name", {u"managingeditor=e@example.org"_s}, "warning managingeditor the name in");
        row("webmaster name first", {u"webmaster=Jo <w@example.org>"_s}, "warning webmaster the name in");
        row("editor without e-mail address", {u"managingeditor=Ed Jones"_s}, "error managingeditor no e-mail address");
        row("language that is no code", {u"language=English"_s}, "warning language \"English\" is no language code");
        row("image title differs", {u"imagetitle=Logo"_s}, "warning imagetitle differs");
        row("image without link", {u"imagelink="_s}, "error imagelink has no link");
        row("time to live in words", {u"ttl=one hour"_s}, "warning ttl not a whole number");
        row("item without title and text", {u"title@1="_s, u"content@1="_s}, "error title Entry 2 has neither");
        row("same ID twice", {u"guid@1=urn:x:2"_s}, "error guid Entry 2 (\"First\") has the same ID as Entry 1 (\"");
        row("generated IDs are unique", {u"guid@1="_s, u"guid@2="_s}, "");
        row("item without ID, entry IDs off", {u"itemids="_s, u"feedurl="_s, u"guid@1="_s}, "warning guid no ID", 1);
        row("unread date with entry dates", {u"unreadDate@2=soon"_s}, "warning date \"soon\"");
        row("no public address for the self link", {u"feedurl="_s}, "warning feedurl no public address");
        row("self link not a web address", {u"feedurl=feed.xml"_s}, "error feedurl feed.xml");
        row("no self link although the public address is known", {u"itemids="_s}, "warning itemids its own address");
        row("file: link", {u"link@2=file:///home/jo/a.html"_s}, "error link Entry 1 (\"Second\"): the field");
        row("javascript: link, its scheme read as a browser reads it", {u"link@2= JaVa\tscript:alert(1)"_s},
            "error link \"Entry link\" holds the javascript: address");
        row("data: comments", {u"comments@2=data:text/html,x"_s}, "error comments \"Comments\" holds the data:");
        row("file: enclosure", {u"enclosure@2=file:///a.mp3"_s}, "error enclosure \"Enclosure\" holds the file:");
        row("javascript: channel link", {u"link=javascript:x"_s}, "error link The field \"Link\" holds");
        row("file: image", {u"imageurl=file:///logo.png"_s}, "error imageurl \"Image URL\" holds the file:");
        row("data: image link", {u"imagelink=data:,x"_s}, "error imagelink \"Image link\" holds the data:");
        row("channel link that is no address", {u"link=htp:/bad link here"_s}, "error link here\", which is no valid");
        row("entry link that is no address", {u"link@2=walk2 home page"_s}, "error link \"Entry link\" holds \"walk2");
        row("comments that are no address", {u"comments@1=see below"_s}, "error comments \"see below\"");
        row("relative image address", {u"imageurl=logo.png"_s}, "error imageurl logo.png, a relative address");
        row("path of this computer is a file on it", {u"link@2=/usr/share"_s}, "error link a file on this computer");
        row("javascript: podcast artwork", {u"podcast"_s, u"podcastimage=javascript:x"_s},
            "error podcastimage Artwork");
        row("javascript: link in a body, written with references",
            {u"content@2=<a title=\"x\" HREF = ' java&#x09;script&colon;x'>y</a>"_s},
            "error content Entry 1 (\"Second\") links to or shows a javascript: address");
        row("data: picture in a body is a picture", {u"content@2=<img alt=x src=DATA:image/png;base64,AA>"_s}, "");
        row("data: page linked from a body", {u"content@2=<a href=\"data:text/html,x\">y</a>"_s},
            "error content data:");
        row("script address in a comment of a body", {u"content@2=<!-- <a href=\"javascript:x\"> -->"_s}, "");
        row("style element in a body", {u"content@2=<style>p {}</style>x"_s}, "warning content holds a style element");
        row("enclosure on a Windows drive", {u"enclosure@2=C:\\a.mp3"_s}, "error enclosure C:\\a.mp3, a file on this");
        row("picture from the disk", {u"content@2=<img src='FILE:///a.png'>"_s}, "warning content Entry 1");
        row("media picture without address", {u"feedurl="_s, u"itemids="_s, u"content@2=<img src=\"media/a.png\">"_s},
            "warning feedurl media folder");
        row("enclosure without type", {u"enclosuretype@2="_s}, "error enclosuretype without a type");
        row("bare enclosure address", {u"enclosure@2=episode1.mp3"_s}, "error enclosure episode1.mp3, a relative");
        row("enclosure below the server's root", {u"enclosure@2=/podcast/1.mp3"_s}, "error enclosure a relative");
        row("media enclosure without a public address", {u"feedurl="_s, u"enclosure@2=media/a.mp3"_s},
            "error feedurl enclosure is a file of the project's media folder");
        row("enclosure without length outside a podcast", {u"enclosurelength@2=0"_s}, "");
        row("feed beyond 512 KB", {u"content@2="_s + QString(600 * 1024, u'x')}, "warning number many readers");
        row("podcast rules, with the field they concern", {u"podcast"_s}, "warning podcastimage has no artwork");
        // The directories' rules for podcasts.
        const auto podcastRow = [&row, &podcast](const char *name, const QStringList &changes, const char *finding,
                                                 int times = -1) { row(name, podcast + changes, finding, times); };
        podcastRow("podcast that passes", {}, "");
        podcastRow("podcast episode without length, told once", {u"enclosurelength@2=0"_s},
                   "warning enclosurelength Entry 1 (\"Second\") has an enclosure without its length", 1);
        podcastRow("podcast without title, told once", {u"title="_s, u"imagetitle="_s}, "error title RSS requires", 1);
        podcastRow("description over 4000 bytes", {u"description="_s + QString(2001, u'\u00fc')},
                   "warning description 4002 bytes long");
        podcastRow("episode without title", {u"title@2="_s}, "warning title Entry 1 has no title; podcast");
        podcastRow("podcast without self link", {u"itemids="_s, u"feedurl="_s}, "warning feedurl its own address");
        podcastRow("podcast without item dates", {u"itemids="_s, u"feedurl="_s}, "warning itemids no publication");
        podcastRow("episode of a type Apple does not take", {u"enclosuretype@2=audio/ogg"_s},
                   "warning enclosuretype Entry 1 (\"Second\")'s enclosure has the type audio/ogg, which Apple");
        podcastRow("episode duration in words", {u"duration@2=forty minutes"_s}, "warning duration \"forty minutes\"");
        podcastRow("episode without duration", {u"duration@2="_s}, "warning duration no duration; podcast");
        podcastRow("episode of the media folder without duration", {u"duration@2="_s, u"mp3@2"_s},
                   "warning duration no duration; its file plays 00:01:05");
        podcastRow("owner e-mail that is no address", {u"podcastemail=owner at example.org"_s},
                   "warning podcastemail is not a valid e-mail address");
    }

    void feedCheck()
    {
        QFETCH(QStringList, changes);
        QFETCH(QString, finding);
        QFETCH(int, times);
        FeedDocument document;
        fillChannel(document.channel);
        document.entries.append(RSSentry{u"First"_s, {}, u"<p>One</p>"_s});
        document.entries.append(RSSentry{u"Second"_s, {}, u"<p>Two</p>"_s});
        setFields(document,
                  {u"managingeditor=e@example.org (Ed)"_s, u"webmaster=w@example.org (Web)"_s, u"imagetitle=My news"_s,
                   u"imagelink=https://example.org/"_s, u"feedurl=https://example.org/feed.xml"_s, u"itemids"_s,
                   u"guid=urn:x:1"_s, u"enclosure=https://example.org/a.mp3"_s, u"enclosurelength=9"_s,
                   u"enclosuretype=audio/mpeg"_s});
        document.entries.at(2).guid = u"urn:x:2"_s;
        document.entries.at(2).enclosureurl = u"https://example.org/b.mp3"_s;
        document.entries.at(2).enclosurelength = u"9"_s;
        document.entries.at(2).enclosuretype = u"audio/mpeg"_s;
        QTemporaryDir dir;
        for (const QString &change : changes) {
            // "key@N=value" sets a field of entry N, "mp3@N" makes its enclosure an MP3 of the
            // project's media folder; the rest as setFields.
            if (change.startsWith("mp3@"_L1)) {
                document.projectPath = dir.filePath(u"p.rsx"_s);
                QVERIFY(QDir(dir.path()).mkpath(u"media"_s) && generatedMp3(dir.filePath(u"media/talk.mp3"_s)));
                document.entries.at(change.mid(4).toInt()).enclosureurl = u"media/talk.mp3"_s;
            } else if (change.section(u'=', 0, 0).contains(u'@')) {
                const QString target = change.section(u'=', 0, 0);
                RSSentry &entry = document.entries.at(target.section(u'@', 1).toInt());
                const QString value = change.section(u'=', 1);
                const QString key = target.section(u'@', 0, 0);
                if (key == "content"_L1)
                    entry.content = value;
                else if (key == "title"_L1)
                    entry.title = value;
                else if (key == "link"_L1)
                    entry.link = value;
                else if (key == "unreadDate"_L1)
                    entry.unreadDate = value;
                else
                    entryField(key)->value(entry) = value;
            } else {
                setFields(document, {change});
            }
        }
        const QList<FeedFinding> findings =
                CheckFeed(document, TestStyleBlock, winterMoment(), KeyedTexts(), QLocale::c());
        QStringList shown;
        for (const FeedFinding &f : findings)
            shown << (f.severity == FeedFinding::Severity::Error ? u"error "_s : u"warning "_s) + f.field + u' '
                            + f.text;
        // The first finding of the field: its severity and part of its sentence; how many there are.
        const QStringList expected = finding.split(u' ');
        const QStringList ofField = shown.filter(QRegularExpression(u"^\\w+ "_s + expected.value(1) + u" "_s));
        QVERIFY2(finding.isEmpty()
                         ? findings.isEmpty()
                         : !ofField.isEmpty() && ofField.first().startsWith(expected.mid(0, 2).join(u' ') + u' ')
                                 && ofField.first().contains(expected.mid(2).join(u' ')),
                 qPrintable(shown.join(u'\n')));
        QVERIFY2(times < 0 || ofField.size() == times, qPrintable(shown.join(u'\n')));
        QCOMPARE(HasFeedErrors(findings), finding.startsWith(u"error"_s));
    }

    // Choose file takes an enclosure's type from the file and its duration from TagLib; a duration
    // typed for a file that tells none stays.
    void enclosureFileFacts()
    {
        QTemporaryDir dir;
        RSSentry mp3;
        RSSentry text;
        text.duration = u"00:00:09"_s;
        QVERIFY(generatedMp3(dir.filePath(u"a.mp3"_s)) && FeedsmithTest::writeBytes(dir.filePath(u"a.txt"_s), "x"));
        TakeEnclosureFile(mp3, u"media/a.mp3"_s, dir.filePath(u"a.mp3"_s));
        TakeEnclosureFile(text, u"media/a.txt"_s, dir.filePath(u"a.txt"_s));
        QCOMPARE(QStringList({mp3.enclosuretype, mp3.duration, text.enclosuretype, text.duration}),
                 QStringList({u"audio/mpeg"_s, u"00:01:05"_s, u"text/plain"_s, u"00:00:09"_s}));
    }

    void emptyFieldOmitsLine_data()
    {
        QTest::addColumn<QStringList>("emptied");
        QTest::addColumn<QStringList>("missingLines");
        const QStringList image = {u"\t<image>"_s, u"\t\t<url>https://example.org/logo.png</url>"_s,
                                   u"\t\t<title>Logo</title>"_s, u"\t\t<link>https://example.org/home</link>"_s,
                                   u"\t</image>"_s};
        const auto row = [](const char *name, const QStringList &emptied, const QStringList &lines) {
            QTest::newRow(name) << emptied << lines;
        };
        row("empty title", {u"title"_s}, {u"\t<title>My news</title>"_s});
        row("empty link", {u"link"_s}, {u"\t<link>https://example.org/</link>"_s});
        row("empty description", {u"description"_s}, {u"\t<description>News of the day</description>"_s});
        row("empty language", {u"language"_s}, {u"\t<language>en</language>"_s});
        row("empty managing editor", {u"managingeditor"_s},
            {u"\t<managingEditor>editor@example.org</managingEditor>"_s});
        row("empty webmaster", {u"webmaster"_s}, {u"\t<webMaster>webmaster@example.org</webMaster>"_s});
        row("empty category", {u"category"_s}, {u"\t<category>Tech</category>"_s});
        row("empty ttl", {u"ttl"_s}, {u"\t<ttl>60</ttl>"_s});
        row("empty image url drops the whole image block", {u"imageurl"_s}, image);
        row("image title without image url gives no block", {u"imageurl"_s, u"imagelink"_s}, image);
        row("image link without image url gives no block", {u"imageurl"_s, u"imagetitle"_s}, image);
        row("only image url keeps the url line alone", {u"imagetitle"_s, u"imagelink"_s}, {image[2], image[3]});
    }

    void emptyFieldOmitsLine()
    {
        QFETCH(QStringList, emptied);
        QFETCH(QStringList, missingLines);
        FeedDocument document;
        fillChannel(document.channel);
        for (const QString &key : emptied)
            documentField(key)->value(document).clear();
        document.entries.append(RSSentry{u"First"_s, u"https://example.org/1"_s, u"<body><p>Hello</p></body>"_s});
        QByteArray expected = fullFile();
        for (const QString &line : missingLines) {
            const QByteArray wholeLine = "\r\n" + line.toLatin1() + "\r\n";
            QVERIFY2(expected.contains(wholeLine), qPrintable(line));
            expected.replace(wholeLine, "\r\n");
        }
        const QByteArray bytes = build(document);
        VERIFY_RSS_FILE(bytes);
        QCOMPARE(bytes, expected);
    }

    void noEntries()
    {
        FeedDocument document;
        document.channel.title = u"Empty"_s;
        document.channel.ttl.clear();
        const QByteArray bytes = build(document);
        VERIFY_RSS_FILE(bytes);
        QCOMPARE(bytes,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<rss version=\"2.0\">\r\n\t<channel>\r\n"
                 "\t<title>Empty</title>\r\n\t<pubDate>Mon, 01 Mar 2027 09:05:07 +0100</pubDate>\r\n"
                 "\t<docs>"
                         + QByteArray(RssDocsUrl) + "</docs>\r\n\t</channel>\r\n</rss>\r\n");
    }

    void itemChoice_data()
    {
        QTest::addColumn<int>("entryCount");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("numberAfter");
        QTest::addColumn<QString>("locale");
        QStringList all;
        for (int i = 12; i >= 1; --i)
            all << u"key%1"_s.arg(i);
        const QStringList newest10 = all.mid(0, 10);
        QTest::newRow("number 10 of 12 takes key12 to key3") << 12 << u"10"_s << newest10 << u"10"_s << u"C"_s;
        QTest::newRow("number 12 takes all") << 12 << u"12"_s << all << u"12"_s << u"C"_s;
        QTest::newRow("number 15 takes all") << 12 << u"15"_s << all << u"15"_s << u"C"_s;
        QTest::newRow("empty number is reset to 10") << 12 << QString() << newest10 << u"10"_s << u"C"_s;
        QTest::newRow("number 0 is reset to 10") << 12 << u"0"_s << newest10 << u"10"_s << u"C"_s;
        QTest::newRow("letters are reset to 10") << 12 << u"abc"_s << newest10 << u"10"_s << u"C"_s;
        QTest::newRow("number 00 gives no item") << 12 << u"00"_s << QStringList() << u"00"_s << u"C"_s;
        QTest::newRow("number -3 gives no item") << 12 << u"-3"_s << QStringList() << u"-3"_s << u"C"_s;
        QTest::newRow("number 2.5 takes two") << 12 << u"2.5"_s << all.mid(0, 2) << u"2.5"_s << u"C"_s;
        QTest::newRow("number 1 takes the newest") << 12 << u"1"_s << QStringList{u"key12"_s} << u"1"_s << u"C"_s;
        QTest::newRow("number 0.5 takes none") << 12 << u"0.5"_s << QStringList() << u"0.5"_s << u"C"_s;
        QTest::newRow("German decimal comma") << 12 << u"2,5"_s << all.mid(0, 2) << u"2,5"_s << u"de_DE"_s;
        QTest::newRow("no entries with number 10") << 0 << u"10"_s << QStringList() << u"10"_s << u"C"_s;
    }

    void itemChoice()
    {
        QFETCH(int, entryCount);
        QFETCH(QString, number);
        QFETCH(QStringList, titles);
        QFETCH(QString, locale);
        FeedDocument document;
        document.channel.number = number;
        for (int i = 1; i <= entryCount; ++i)
            document.entries.append(RSSentry{u"key%1"_s.arg(i), {}, {}});
        const QByteArray bytes = BuildRssFile(document, TestStyleBlock, winterMoment(), QLocale(locale));
        VERIFY_RSS_FILE(bytes);
        QStringList written;
        for (const ParsedItem &item : parseFeed(bytes).items)
            written << item.title;
        QCOMPARE(written, titles);
        QCOMPARE(bytes.count("\t<item>\r\n"), titles.size());
        // The generate command then shows the number as it was read.
        ResetFeedItemNumber(document.channel, QLocale(locale));
        QTEST(document.channel.number, "numberAfter");
    }

    void publicationDate_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("expected");
        // zone null: the machine's local time (TZ=Europe/Berlin in the test run)
        const auto row = [](const char *name, QDate date, QTime time, const char *zone, const QString &expected) {
            const QDateTime moment = zone ? QDateTime(date, time, QTimeZone(zone)) : QDateTime(date, time);
            QTest::newRow(name) << moment << expected;
        };
        const char *berlin = "Europe/Berlin", *newYork = "America/New_York";
        row("Berlin winter", {2027, 3, 1}, {9, 5, 7}, berlin, u"Mon, 01 Mar 2027 09:05:07 +0100"_s);
        row("Berlin summer", {2027, 7, 15}, {14, 30}, berlin, u"Thu, 15 Jul 2027 14:30:00 +0200"_s);
        row("New York winter", {2027, 1, 11}, {8, 0}, newYork, u"Mon, 11 Jan 2027 08:00:00 -0500"_s);
        row("New York summer", {2027, 7, 15}, {23, 59, 59}, newYork, u"Thu, 15 Jul 2027 23:59:59 -0400"_s);
        row("a Sunday", {2026, 12, 6}, {19, 41, 29}, berlin, u"Sun, 06 Dec 2026 19:41:29 +0100"_s);
        row("a Saturday at midnight", {2027, 3, 6}, {0, 0}, berlin, u"Sat, 06 Mar 2027 00:00:00 +0100"_s);
        row("single-digit day", {2027, 2, 9}, {7, 8, 9}, berlin, u"Tue, 09 Feb 2027 07:08:09 +0100"_s);
        row("UTC", {2027, 10, 20}, {12, 0}, "UTC", u"Wed, 20 Oct 2027 12:00:00 +0000"_s);
        row("half-hour offset east", {2027, 1, 20}, {12, 0}, "Asia/Kolkata", u"Wed, 20 Jan 2027 12:00:00 +0530"_s);
        row("half-hour offset west", {2027, 1, 20}, {12, 0}, "America/St_Johns", u"Wed, 20 Jan 2027 12:00:00 -0330"_s);
        row("local time in winter", {2027, 1, 20}, {12, 0}, nullptr, u"Wed, 20 Jan 2027 12:00:00 +0100"_s);
        row("local time in summer", {2027, 7, 15}, {12, 0}, nullptr, u"Thu, 15 Jul 2027 12:00:00 +0200"_s);
    }

    void publicationDate()
    {
        QFETCH(QDateTime, moment);
        QTEST(PublicationDate(moment), "expected");
        FeedDocument document;
        const QByteArray bytes = BuildRssFile(document, TestStyleBlock, moment, QLocale::c());
        VERIFY_RSS_FILE(bytes);
        QFETCH(QString, expected);
        QVERIFY(bytes.contains("\r\n\t<pubDate>" + expected.toLatin1() + "</pubDate>\r\n"));
    }

    void extractBody_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("body");
        QTest::newRow("both tags") << u"<html><head></head><body><p>Hi</p></body></html>"_s << u"<p>Hi</p>"_s;
        QTest::newRow("capital tags") << u"<HTML><BODY>Hi</Body></HTML>"_s << u"Hi"_s;
        QTest::newRow("adjacent tags") << u"<html><body></body></html>"_s << QString();
        QTest::newRow("neither tag") << u"<p>Hi</p>"_s << u"<p>Hi</p>"_s;
        QTest::newRow("empty content") << QString() << QString();
        QTest::newRow("only the opening tag") << u"<head></head><body><p>Hi</p>"_s << u"<p>Hi</p>"_s;
        QTest::newRow("only the closing tag") << u"<p>Hi</p></body></html>"_s << u"<p>Hi</p>"_s;
        QTest::newRow("first pair of several") << u"<body>a</body><body>b</body>"_s << u"a"_s;
    }

    void extractBody()
    {
        QFETCH(QString, content);
        QTEST(ExtractBody(content), "body");
    }

    void description_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("styleBlock");
        QTest::addColumn<QString>("expected");
        const QString sb = TestStyleBlock;
        const QString odd = StyleBlockFor(u"p { font-family: \"Gr\u00FC\u00DFe\"; }\n.x { color: red; }"_s);
        QTest::newRow("two paragraphs with a line break become one line")
                << u"<html><body><p>One</p>\r\n<p>Two</p></body></html>"_s << sb << u"<p>One</p><p>Two</p>"_s;
        QTest::newRow("content without body tags loses the style block")
                << sb + u"<p>Stored</p>"_s << sb << u"<p>Stored</p>"_s;
        QTest::newRow("editor document loses the style block") << u"<html><head>"_s + sb + u"</head><body>"_s + sb
                        + u"<p>x</p></body></html>"_s << sb << u"<p>x</p>"_s;
        QTest::newRow("several copies of the style block")
                << sb + u"<p>a</p>"_s + sb + sb + u"<p>b</p>"_s << sb << u"<p>a</p><p>b</p>"_s;
        QTest::newRow("style block in capitals") << sb.toUpper() + u"<p>x</p>"_s << sb << u"<p>x</p>"_s;
        QTest::newRow("style block with umlauts and lone line feeds")
                << u"<html><body>"_s + odd + u"<p>x</p>"_s + odd + u"</body></html>"_s << odd << u"<p>x</p>"_s;
        QTest::newRow("content of only the style block") << sb << sb << QString();
    }

    void description()
    {
        QFETCH(QString, content);
        QFETCH(QString, styleBlock);
        QByteArray bytes;
        QTEST(descriptionOf(content, styleBlock, &bytes), "expected");
        VERIFY_RSS_FILE(bytes);
    }

    void emptyItem()
    {
        FeedDocument document;
        document.entries.append(RSSentry{});
        document.entries.append(RSSentry{{}, {}, u"<p>only content</p>"_s});
        const QByteArray bytes = build(document);
        VERIFY_RSS_FILE(bytes);
        QVERIFY(bytes.contains("\t<item>\r\n\t\t<description><![CDATA[<p>only content</p>]]></description>\r\n"
                               "\t</item>\r\n\t<item>\r\n\t</item>\r\n\t</channel>\r\n"));
    }

    void hostileValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("readBack");
        const QChar highSurrogate(0xD83D);
        const QChar lowSurrogate(0xDE00);
        QTest::newRow("less-than and ampersand") << u"a < b & c"_s << "a &lt; b &amp; c"_ba << u"a < b & c"_s;
        QTest::newRow("Cafe and Bar") << u"Café & Bar"_s << "Cafe &amp; Bar"_ba << u"Cafe & Bar"_s;
        QTest::newRow("umlauts") << u"Grüße"_s << "Gruesse"_ba << u"Gruesse"_s;
        QTest::newRow("undeclared entity nbsp") << u"x&nbsp;y"_s << "x&amp;nbsp;y"_ba << u"x&nbsp;y"_s;
        QTest::newRow("predefined entities stay")
                << u"&amp;&lt;&gt;&quot;&apos;"_s << "&amp;&lt;&gt;&quot;&apos;"_ba << u"&<>\"'"_s;
        QTest::newRow("capitalised AMP is no entity") << u"&AMP;"_s << "&amp;AMP;"_ba << u"&AMP;"_s;
        QTest::newRow("decimal reference") << u"&#123;"_s << "&#123;"_ba << u"{"_s;
        QTest::newRow("hex references") << u"&#x41;&#x1F600;"_s << "&#x41;&#x1F600;"_ba << u"A😀"_s;
        QTest::newRow("capital X is no reference") << u"&#X41;"_s << "&amp;#X41;"_ba << u"&#X41;"_s;
        QTest::newRow("reference to NUL") << u"&#0;"_s << "&amp;#0;"_ba << u"&#0;"_s;
        QTest::newRow("reference to a control character") << u"&#x1F;"_s << "&amp;#x1F;"_ba << u"&#x1F;"_s;
        QTest::newRow("reference to a surrogate") << u"&#xD800;"_s << "&amp;#xD800;"_ba << u"&#xD800;"_s;
        QTest::newRow("reference to FFFE") << u"&#65534;"_s << "&amp;#65534;"_ba << u"&#65534;"_s;
        QTest::newRow("reference beyond Unicode") << u"&#x110000;"_s << "&amp;#x110000;"_ba << u"&#x110000;"_s;
        QTest::newRow("references without semicolon")
                << u"AT&T &#65 &lt"_s << "AT&amp;T &amp;#65 &amp;lt"_ba << u"AT&T &#65 &lt"_s;
        QTest::newRow("empty references") << u"&#; &#x;"_s << "&amp;#; &amp;#x;"_ba << u"&#; &#x;"_s;
        QTest::newRow("ampersand at the end") << u"Q&"_s << "Q&amp;"_ba << u"Q&"_s;
        QTest::newRow("end of a CDATA section") << u"a]]>b"_s << "a]]&gt;b"_ba << u"a]]>b"_s;
        QTest::newRow("plain greater-than") << u"a > b"_s << "a > b"_ba << u"a > b"_s;
        QTest::newRow("control characters dropped") << u"a\u0001b\u000Bc"_s << "abc"_ba << u"abc"_s;
        QTest::newRow("NUL dropped") << (u"a"_s + QChar(0) + u"b"_s) << "ab"_ba << u"ab"_s;
        QTest::newRow("tab kept") << u"a\tb"_s << "a\tb"_ba << u"a\tb"_s;
        QTest::newRow("noncharacter FFFF dropped") << u"a\uFFFFb"_s << "ab"_ba << u"ab"_s;
        QTest::newRow("arrow as reference") << u"a → b"_s << "a &#8594; b"_ba << u"a → b"_s;
        QTest::newRow("emoji as reference") << u"smile 😀"_s << "smile &#128512;"_ba << u"smile 😀"_s;
        QTest::newRow("lone high surrogate dropped") << (u"a"_s + highSurrogate + u"b"_s) << "ab"_ba << u"ab"_s;
        QTest::newRow("deleted quote keeps the line") << u"\u2019"_s << ""_ba << QString();
        QTest::newRow("lone low surrogate dropped") << (u"a"_s + lowSurrogate + u"b"_s) << "ab"_ba << u"ab"_s;
    }

    void hostileValues()
    {
        QFETCH(QString, value);
        QFETCH(QByteArray, written);
        QFETCH(QString, readBack);
        FeedDocument document;
        document.channel.title = value;
        document.channel.description = value;
        document.channel.category = QString(value).remove(u'\t'); // a tab would start the category's domain
        document.channel.imageurl = u"https://example.org/logo.png"_s;
        document.channel.imagetitle = value;
        document.entries.append(RSSentry{value, value, {}});
        const QByteArray bytes = build(document);
        VERIFY_RSS_FILE(bytes);
        QVERIFY2(bytes.contains("\r\n\t<title>" + written + "</title>\r\n"), bytes.constData());
        const ParsedFeed feed = parseFeed(bytes);
        QCOMPARE(feed.channel.value(u"title"_s), readBack);
        QCOMPARE(feed.channel.value(u"description"_s), readBack);
        QCOMPARE(feed.channel.value(u"category"_s), QString(readBack).remove(u'\t'));
        QCOMPARE(feed.image.value(u"title"_s), readBack);
        QCOMPARE(feed.items.size(), 1);
        QCOMPARE(feed.items.first().title, readBack);
        QCOMPARE(feed.items.first().link, readBack);
    }

    void hostileBodies_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("markup kept literally")
                << u"<p>a < b & c</p>"_s << "<p>a < b & c</p>"_ba << u"<p>a < b & c</p>"_s;
        QTest::newRow("entities kept literally")
                << u"&nbsp;&amp;&#0;"_s << "&nbsp;&amp;&#0;"_ba << u"&nbsp;&amp;&#0;"_s;
        // A body is HTML as it stands: text that looks like the project file's escapes is text.
        QTest::newRow("double brackets stay text")
                << u"[[double brackets]]"_s << "[[double brackets]]"_ba << u"[[double brackets]]"_s;
        QTest::newRow("line break escape stays text") << u"a [:br:] b"_s << "a [:br:] b"_ba << u"a [:br:] b"_s;
        QTest::newRow("comma escape stays text") << u"x [:bst:] y"_s << "x [:bst:] y"_ba << u"x [:bst:] y"_s;
        QTest::newRow("brackets before greater-than end no section")
                << u"a]]>b"_s << "a]]]]><![CDATA[>b"_ba << u"a]]>b"_s;
        QTest::newRow("CDATA end joined across a line break") << u"x]\r\n]>y"_s << "x]]]]><![CDATA[>y"_ba << u"x]]>y"_s;
        QTest::newRow("CDATA end joined by a deleted quote")
                << u"x]\u2019]>y"_s << "x]]]]><![CDATA[>y"_ba << u"x]]>y"_s;
        QTest::newRow("two CDATA ends") << u"]\n]>]\n]>"_s << "]]]]><![CDATA[>]]]]><![CDATA[>"_ba << u"]]>]]>"_s;
        QTest::newRow("control characters dropped")
                << (u"a\u0001b\u000Bc"_s + QChar(0) + u"d"_s) << "abcd"_ba << u"abcd"_s;
        QTest::newRow("line breaks removed")
                << u"one\r\ntwo\nthree\rfour"_s << "onetwothreefour"_ba << u"onetwothreefour"_s;
        QTest::newRow("Cafe and Bar") << u"<p>Café & Bar</p>"_s << "<p>Cafe & Bar</p>"_ba << u"<p>Cafe & Bar</p>"_s;
        QTest::newRow("arrow as reference") << u"a → b"_s << "a &#8594; b"_ba << u"a &#8594; b"_s;
        QTest::newRow("emoji as reference") << u"😀"_s << "&#128512;"_ba << u"&#128512;"_s;
        QTest::newRow("lone surrogate dropped") << (u"a"_s + QChar(0xD800) + u"b"_s) << "ab"_ba << u"ab"_s;
    }

    void hostileBodies()
    {
        QFETCH(QString, content);
        QFETCH(QByteArray, written);
        QByteArray bytes;
        QTEST(descriptionOf(content, TestStyleBlock, &bytes), "readBack");
        VERIFY_RSS_FILE(bytes);
        QVERIFY2(bytes.contains("\t\t<description><![CDATA[" + written + "]]></description>\r\n"), bytes.constData());
    }

    // Pictures are kept once in the media folder beside the project and published beside the feed.
    void mediaPictures()
    {
        QTemporaryDir dir;
        const QString project = dir.filePath(u"news/p.rsx"_s);
        QVERIFY(QDir().mkpath(dir.filePath(u"news"_s)));
        QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"a.PNG"_s), "picture bytes"));
        QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"copy.png"_s), "picture bytes"));
        QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"notes.txt"_s), "text"));
        QString error;
        const std::optional<QString> stored = StoreMediaFile(dir.filePath(u"a.PNG"_s), project, &error);
        QVERIFY2(stored && stored->startsWith(u"media/"_s) && stored->endsWith(u".png"_s), qPrintable(error));
        QCOMPARE(StoreMediaFile(dir.filePath(u"copy.png"_s), project, &error), stored); // stored once
        QCOMPARE(QDir(dir.filePath(u"news/media"_s)).entryList(QDir::Files).size(), 1);
        QVERIFY(!StoreMediaFile(dir.filePath(u"notes.txt"_s), project, &error));
        QVERIFY(!StoreMediaFile(dir.filePath(u"a.PNG"_s), QString(), &error)); // a project never saved

        for (const bool keepAccents : {false, true}) {
            FeedDocument document;
            document.channel.keepaccents = keepAccents ? u"1"_s : QString();
            document.entries.append(RSSentry{u"t"_s, {}, u"<p><img src=\"%1\" alt=\"\u00c4\"></p>"_s.arg(*stored)});
            RssFacts facts;
            QVERIFY(BuildRssFile(document, TestStyleBlock, winterMoment(), QLocale::c(), &facts)
                            .contains("<img src=\"" + stored->toLatin1()));
            QVERIFY(facts.mediaWithoutPublicAddress);
            document.ftp.feedurl = u"https://example.org/news/feed.xml?x=1"_s;
            const QByteArray bytes = BuildRssFile(document, TestStyleBlock, winterMoment(), QLocale::c(), &facts);
            QVERIFY(!facts.mediaWithoutPublicAddress);
            QVERIFY2(bytes.contains("<img src=\"https://example.org/news/" + stored->toLatin1() + '"'),
                     bytes.constData());
        }

        // An enclosure and the image of the media folder, chosen before the public address was
        // set: named by that address when the feed is written, the enclosure with its length
        // and type as they are then, and uploaded into the remote media folder.
        // So are an episode's artwork, transcript and chapters.
        QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"news/media/ep 1.mp3"_s), "123"));
        for (const char *name : {"ep1.jpg", "ep 1.vtt", "ep1.json"})
            QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"news/media/"_s + QLatin1StringView(name)), "x"));
        FeedDocument document;
        document.projectPath = project;
        document.channel.imageurl = *stored;
        document.channel.podcast = u"1"_s;
        RSSentry episode{u"t"_s, {}, u"<p>x</p>"_s};
        episode.enclosureurl = u"media/ep 1.mp3"_s;
        episode.enclosurelength = u"1"_s;
        episode.episodeimage = u"media/ep1.jpg"_s;
        episode.transcripts = u"media/ep%201.vtt"_s; // a word of its line: the blank encoded
        episode.chapters = u"media/ep1.json"_s;
        document.entries.append(episode);
        RssFacts facts;
        QVERIFY(BuildRssFile(document, TestStyleBlock, winterMoment(), QLocale::c(), &facts)
                        .contains("<enclosure url=\"media/ep 1.mp3\" length=\"3\" type=\"audio/mpeg\" />"));
        QVERIFY(facts.mediaWithoutPublicAddress);
        document.ftp.feedurl = u"https://example.org/news/feed.xml"_s;
        QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"news/media/ep 1.mp3"_s), "12345")); // a new cut
        const QByteArray bytes = BuildRssFile(document, TestStyleBlock, winterMoment(), QLocale::c());
        QVERIFY2(bytes.contains("<enclosure url=\"https://example.org/news/media/ep%201.mp3\" length=\"5\""),
                 bytes.constData());
        QVERIFY(bytes.contains("<url>https://example.org/news/" + stored->toLatin1() + "</url>"));
        QVERIFY(bytes.contains("<itunes:image href=\"https://example.org/news/media/ep1.jpg\" />"));
        QVERIFY(bytes.contains(
                "<podcast:transcript url=\"https://example.org/news/media/ep%201.vtt\" type=\"text/vtt\" />"));
        QVERIFY(bytes.contains("<podcast:chapters url=\"https://example.org/news/media/ep1.json\" "));
        QStringList uploaded;
        for (const PublishedFile &file : PublishedFiles(document, 10))
            uploaded.append(file.folder + u'/' + file.name);
        QCOMPARE(uploaded,
                 (QStringList{u"media/ep 1.mp3"_s, u"media/ep1.jpg"_s, u"media/ep1.json"_s, u"media/ep 1.vtt"_s,
                              u"media/"_s + stored->mid(6)}));
    }

    // With the letters kept, every character beyond ASCII becomes its reference, typed and stored
    // bodies alike.
    void exactLettersBodies_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("letters as references") << u"<p>Caf\u00e9 & B\u00e4r</p>"_s << "<p>Caf&#233; & B&#228;r</p>"_ba;
        QTest::newRow("code page punctuation by its character")
                << u"\u201e\u20ac\u201c"_s << "&#8222;&#8364;&#8220;"_ba;
        QTest::newRow("an unassigned code page byte") << u"a\u0081b"_s << "a&#129;b"_ba;
        QTest::newRow("beyond the code page") << u"a \u2192 \U0001F600"_s << "a &#8594; &#128512;"_ba;
        QTest::newRow("CDATA ends split, across a line break and a dropped control")
                << u"x]\r\n]>y]\u0001]>z]]]>"_s << "x]]]]><![CDATA[>y]]]]><![CDATA[>z]]]]]><![CDATA[>"_ba;
        QTest::newRow("controls dropped, tab kept") << u"a\u0001b\tc\u001f"_s << "ab\tc"_ba;
    }

    void exactLettersBodies()
    {
        QFETCH(QString, content);
        QFETCH(QByteArray, written);
        FeedDocument document;
        document.channel.keepaccents = u"1"_s;
        document.entries.append(RSSentry{u"t"_s, {}, content});
        // The body as the project file stores it, read back.
        QByteArray stored;
        if (CodePageText::appendExactly(stored, StoredBody(content, TestStyleBlock, true))) {
            const StyleBlockForms forms{TestStyleBlock, TestStyleBlock.toLatin1()};
            document.entries.append(RSSentry{u"t"_s, {}, EntryContent::fromStoredBody(forms, stored)});
        }
        const QByteArray bytes = build(document);
        VERIFY_RSS_FILE(bytes);
        QCOMPARE(bytes.count("<description><![CDATA[" + written + "]]></description>"), document.entryCount());
    }

    // Bodies the code page holds go through the writer as bytes, the others as text; the two
    // routes must write the same description.
    void descriptionRoutesAgree()
    {
        const QString odd = StyleBlockFor(u"p { font-family: \"Gr\u00FC\u00DFe\"; }\n"_s);
        const QStringList styleBlocks = {TestStyleBlock, TestStyleBlock.toUpper(), odd,
                                         StyleBlockFor(u"p {\r\n  margin: 0;\r\n}\r\n"_s),
                                         StyleBlockFor(u"/* <BODY> [[x]] */"_s)};
        QRandomGenerator rng(1312u);
        for (int round = 0; round < 4000; ++round) {
            const QString content = FeedsmithTest::randomContent(rng, styleBlocks);
            const QString &styleBlock = styleBlocks.at(round % styleBlocks.size());
            FeedDocument document;
            FeedsmithTest::fillWithBothForms(document, content, styleBlock);
            const QByteArray bytes = build(document, styleBlock);
            for (int i = 1; i <= document.entryCount(); ++i) {
                const QString text = document.entries.at(i).content.text();
                const QByteArray expected = "<description><![CDATA["
                        + Windows1252::encode(XmlText::cdataContent(DescriptionText(text, styleBlock)))
                        + "]]></description>";
                QVERIFY2(bytes.contains(expected), qPrintable(text + u"\n"_s + QString::fromLatin1(bytes)));
            }
        }
    }

    // The program's own style sheet is one the writers leave out of their work on stored bodies;
    // a block that could change what is around it is not.
    void styleBlockFallsAway_data()
    {
        QTest::addColumn<QString>("styleBlock");
        QTest::addColumn<bool>("fallsAway");
        QTemporaryDir dir;
        QVERIFY(FeedsmithTest::copyProgramFiles(dir.path()));
        QTest::newRow("the program's style sheet") << BuildStyleBlock(dir.path()) << true;
        QTest::newRow("lines ended by CR LF") << StyleBlockFor(u"p {\r\n}\r\n"_s) << true;
        QTest::newRow("a body tag") << StyleBlockFor(u"/* <Body> */"_s) << false;
        QTest::newRow("a bracket escape") << StyleBlockFor(u"a[:bst:]b"_s) << false;
        QTest::newRow("a letter beyond ASCII") << StyleBlockFor(u"/* \u00FC */"_s) << false;
        QTest::newRow("no closing tag at the end") << u"<style>p {}"_s << false;
    }

    void styleBlockFallsAway()
    {
        QFETCH(QString, styleBlock);
        QByteArray bytes;
        QVERIFY(CodePageText::appendExactly(bytes, styleBlock));
        QTEST(CodePageText::styleBlockFallsAway(bytes), "fallsAway");
    }

    void writeRssFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(FeedsmithTest::copyProgramFiles(dir.path()));
        const QString path = dir.filePath(u"feeds/feed.xml"_s);
        QVERIFY(FeedsmithTest::writeBytes(path, QByteArray(5000, 'x')));
        FeedDocument document;
        document.channel.title = u"Café & Bar"_s;
        document.channel.number.clear();
        document.entries.append(RSSentry{u"One"_s, {}, BuildStyleBlock(dir.path()) + u"<p>Stored</p>"_s});
        const QDateTime moment(QDate(2027, 1, 11), QTime(8, 0), QTimeZone("America/New_York"));
        QString error;
        QVERIFY(WriteRssFile(document, path, dir.path(), moment, &error));
        QVERIFY(error.isEmpty());
        const QByteArray bytes = FeedsmithTest::readBytes(path);
        VERIFY_RSS_FILE(bytes);
        QVERIFY(!bytes.contains(QByteArray(11, 'x')));
        QVERIFY(bytes.contains("\r\n\t<title>Cafe &amp; Bar</title>\r\n"));
        QVERIFY(bytes.contains("\t<pubDate>Mon, 11 Jan 2027 08:00:00 -0500</pubDate>\r\n"));
        QCOMPARE(parseFeed(bytes).items.value(0).description, u"<p>Stored</p>"_s);
        QVERIFY(document.channel.number.isEmpty()); // the writer changes no field
        QVERIFY(ResetFeedItemNumber(document.channel));
        QCOMPARE(document.channel.number, u"10"_s);
        QCOMPARE(QDir(dir.filePath(u"feeds"_s)).entryList(QDir::Files | QDir::Hidden), QStringList{u"feed.xml"_s});
    }

    void writeRemovesTreatedStyleBlock_data()
    {
        QTest::addColumn<QByteArray>("styleSheet");
        QTest::newRow("letters outside ASCII") << "p { font: \"Gr\xFC\xDF"
                                                  "e\"; }\r\nh1 { color: red; }\r\n"_ba;
        QTest::newRow("lone line feeds") << "p {\n  margin: 0;\n}\nh1 { color: red; }\n"_ba;
        QTest::newRow("both") << "p:before { content: \"\xC4\"; }\nh1 { }\n"_ba;
    }

    void writeRemovesTreatedStyleBlock()
    {
        QFETCH(QByteArray, styleSheet);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(FeedsmithTest::copyProgramFiles(dir.path()));
        QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"styles.css"_s), styleSheet));
        const QString sb = BuildStyleBlock(dir.path());
        FeedDocument document;
        document.entries.append(RSSentry{u"stored"_s, {}, sb + u"<p>Body</p>"_s});
        document.entries.append(RSSentry{
                u"edited"_s, {}, u"<html><head>"_s + sb + u"</head><body>"_s + sb + u"<p>Body</p></body></html>"_s});
        const QString path = dir.filePath(u"feed.xml"_s);
        QString error;
        QVERIFY2(WriteRssFile(document, path, dir.path(), winterMoment(), &error), qPrintable(error));
        const QByteArray bytes = FeedsmithTest::readBytes(path);
        VERIFY_RSS_FILE(bytes);
        const ParsedFeed feed = parseFeed(bytes);
        QCOMPARE(feed.items.size(), 2);
        QCOMPARE(feed.items[0].description, u"<p>Body</p>"_s);
        QCOMPARE(feed.items[1].description, u"<p>Body</p>"_s);
    }

    void writeFailure_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("target is an existing folder") << u"folder.xml"_s;
        QTest::newRow("folder does not exist") << u"missing/feed.xml"_s;
        QTest::newRow("path below an existing file") << u"old.xml/feed.xml"_s;
#ifdef Q_OS_UNIX
        // A file size limit makes the write itself fail halfway, as a full disk does.
        QTest::newRow("write fails halfway over the previous file") << u"old.xml"_s;
#endif
    }

    void writeFailure()
    {
        QFETCH(QString, target);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(FeedsmithTest::copyProgramFiles(dir.path()));
        const QByteArray old = "<?xml version=\"1.0\"?>\r\n<rss/>\r\n";
        QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"old.xml"_s), old));
        QVERIFY(QDir(dir.path()).mkdir(u"folder.xml"_s));
        QVERIFY(FeedsmithTest::writeBytes(dir.filePath(u"folder.xml/inside.txt"_s), old));
        const auto listing = [&dir] {
            return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        };
        const QStringList before = listing();
        const QString path = dir.filePath(target);
        FeedDocument document;
        document.channel.title = u"A title long enough to pass any limit"_s;
        QString error;
        bool written = false;
        if (target == "old.xml"_L1) {
#ifdef Q_OS_UNIX
            rlimit saved{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
            rlimit small = saved;
            small.rlim_cur = 16;
            const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            written = WriteRssFile(document, path, dir.path(), winterMoment(), &error);
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, savedHandler);
#endif
        } else {
            written = WriteRssFile(document, path, dir.path(), winterMoment(), &error);
        }
        const QByteArray after = FeedsmithTest::readBytes(dir.filePath(u"old.xml"_s));
        QVERIFY2(!written,
                 qPrintable(u"reported success; old.xml now holds %1 bytes: %2"_s.arg(after.size())
                                    .arg(QString::fromLatin1(after))));
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
        QCOMPARE(listing(), before); // no temporary file left behind, no folder made
        QCOMPARE(FeedsmithTest::readBytes(dir.filePath(u"old.xml"_s)), old);
        QCOMPARE(QDir(dir.filePath(u"folder.xml"_s)).entryList(QDir::Files), QStringList{u"inside.txt"_s});
    }
};

void TestRssWriter::mayReplaceWithRss_data()
{
    QTest::addColumn<QByteArray>("existing"); // null: nothing; "->x": a link to x
    QTest::addColumn<QString>("reason"); // empty: may be replaced
    QTest::newRow("nothing there yet") << QByteArray() << QString();
    QTest::newRow("empty file") << QByteArray("") << QString();
    QTest::newRow("an RSS file as the program writes it")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<rss version=\"2.0\">\r\n") << QString();
    QTest::newRow("byte order mark, single quotes, line feeds")
            << QByteArray("\xEF\xBB\xBF<?xml version='1.0'?>\n\n<rss>") << QString();
    const QString notRss = u"is not an RSS file (it does not start with an XML declaration and <rss)"_s;
    QTest::newRow("shell profile") << QByteArray("export PATH=$HOME/bin:$PATH\n") << notRss;
    QTest::newRow("a project file") << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<settings>\r\n")
                                    << notRss;
    QTest::newRow("element that only starts with rss") << QByteArray("<?xml version=\"1.0\"?><rssx>") << notRss;
    QTest::newRow("link to /dev/zero") << QByteArray("->/dev/zero") << u"is a device, not a regular file"_s;
    QTest::newRow("link to nothing") << QByteArray("->missing") << u"is a link to a file that does not exist"_s;
}

void TestRssWriter::mayReplaceWithRss()
{
    QFETCH(QByteArray, existing);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"feed.xml"_s);
    if (existing.startsWith("->"))
        QVERIFY(QFile::link(QString::fromUtf8(existing.mid(2)), path));
    else if (!existing.isNull())
        QVERIFY(FeedsmithTest::writeBytes(path, existing));
    QString said;
    QCOMPARE(MayReplaceWithRss(path, &said), reason.isEmpty());
    QCOMPARE(said, reason);
}

QTEST_GUILESS_MAIN(TestRssWriter)
#include "tst_rsswriter.moc"

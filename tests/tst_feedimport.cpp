// Tests of the feed importer: feeds written by other programs, hostile and odd input, limits,
// and our own RSS read back.
#include "core/document/entryfields.h"
#include "core/import/feedimport.h"
#include "core/output/rsswriter.h"
#include "core/project/projectreader.h"
#include "core/project/projectwriter.h"
#include "core/text/markupreader.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"

#include "testsupport.h"

#include <QtTest>

using namespace Feedsmith;
using namespace Qt::StringLiterals;

namespace {

const QDateTime Now(QDate(2026, 12, 8), QTime(5, 0), QTimeZone::utc());

QDateTime utc(const QString &iso)
{
    return iso.isEmpty() ? Now : QDateTime::fromString(iso, Qt::ISODate);
}

// What a shell command writes, such as a file compressed by gzip.
QByteArray output(const QString &command)
{
    QProcess shell;
    shell.start(u"sh"_s, {u"-c"_s, command});
    shell.waitForFinished(60000);
    return shell.readAllStandardOutput();
}

} // namespace

class TestFeedImport : public QObject
{
    Q_OBJECT

private slots:
    void feedsOfOtherPrograms_data();
    void feedsOfOtherPrograms();
    void oddAndHostileFeeds_data();
    void oddAndHostileFeeds();
    void limits();
    void ourRssReadsBackTheSame_data();
    void ourRssReadsBackTheSame();
};

void TestFeedImport::feedsOfOtherPrograms_data()
{
    QTest::addColumn<QString>("file");
    // Title, link, description, language, ttl, category, managing editor, web master, image url
    // and title, joined by "|".
    QTest::addColumn<QString>("channel");
    QTest::addColumn<QString>("firstItem"); // title|link|body
    QTest::addColumn<QString>("firstDate"); // UTC; empty: the feed has none, so now
    QTest::addColumn<QString>("lastBody");
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QString>("fields"); // the first item's other fields that are set, "key=value|..."

    const QString garden = u"Garden Log|https://example.com/garden/|Notes from the garden|"_s;
    const QString gardenImage = u"|https://example.com/garden/image.png|Garden Log"_s;
    const QString tomatoes = u"Tomatoes & peppers|https://example.com/garden/tomatoes|"
                             "<p>Tomatoes: 12 kg.</p><p>Peppers: 3 kg &amp; more.</p>"_s;
    const QString perl = u"Perl Weekly Röstbrot|http://news.example.net/|Bread & butter <news>|en|1440|"_s;
    const QString perlImage = u"|http://news.example.net/img.gif|Perl Weekly"_s;
    const QString sourdough = u"Sourdough <basics>|http://news.example.net/sourdough|<p>Flour, water &amp; salt.</p>"_s;
    const QString rye = u"Plain text: 5 < 7 & \"quoted\""_s;
    QTest::newRow("npm rss: CDATA everywhere, content:encoded with a split CDATA")
            << u"npm-rss.xml"_s
            << u"Café Notes|https://example.org/cafe/|News from the <b>café</b> & bar|de|60|Food|"
               "editor@example.org (Anna)|web@example.org (Ben)|https://example.org/cafe/logo.png|Café Notes"_s
            << u"Opening hours|https://example.org/cafe/hours?a=1&b=2|<p>We open at <em>eight</em> &amp; close at ten.</p>"_s
            << u"2026-12-01T08:30:00Z"_s << u"<p>The <strong>whole</strong> story, with a ]]> inside.</p>"_s
            << u"channel: copyright not kept|1 item: description beside content:encoded not kept"_s
            << u"author=Anna|category=Notes|guid=hours-1|pubdate=2026-12-01 08:30:00 +0000"_s;
    QTest::newRow("npm feed, RSS 2.0: content:encoded wins over the description")
            << u"npm-feed-rss2.xml"_s << garden + u"en-us|1440|Gardening||"_s + gardenImage << tomatoes
            << u"2026-12-06T18:20:00Z"_s << u"First frost of the year"_s
            << u"channel: copyright not kept|1 item: description beside content:encoded not kept"_s
            << u"author=gus@example.com (Gus Gardener)|guid=https://example.com/garden/tomatoes|guidpermalink=1|"
               "pubdate=2026-12-06 18:20:00 +0000"_s;
    QTest::newRow("npm feed, Atom 1.0: html titles and content, author as managing editor")
            << u"npm-feed-atom.xml"_s << garden + u"|1440|Gardening|gus@example.com (Gus Gardener)|"_s + gardenImage
            << tomatoes << u"2026-12-06T18:20:00Z"_s << u"First frost of the year"_s
            << u"channel: id not kept|channel: rights not kept|1 item: summary beside content not kept"_s
            << u"author=gus@example.com (Gus Gardener)|guid=https://example.com/garden/tomatoes|guidpermalink=1|"
               "pubdate=2026-12-06 18:20:00 +0000"_s;
    QTest::newRow("Perl XML::RSS 0.91: DOCTYPE line, escaped HTML, no item dates")
            << u"perl-xml-rss-0.91.xml"_s << perl + u"|ed@example.net|ed@example.net"_s + perlImage << sourdough
            << QString() << rye << QString() << QString();
    QTest::newRow("Perl XML::RSS 1.0: RDF, image and items beside the channel, Dublin Core")
            << u"perl-xml-rss-1.0.xml"_s << perl + u"Baking||"_s + perlImage << sourdough << u"2026-12-07T11:30:00Z"_s
            << rye << u"channel: dc:creator not kept|channel: dc:publisher not kept"_s
            << u"guid=http://news.example.net/sourdough|guidpermalink=1|pubdate=2026-12-07 06:30:00 -0500"_s;
    QTest::newRow("podcast: enclosures, episode tags, a date over two lines in the repeated hour")
            << u"podcast-episodes.xml"_s
            << u"Kitchen Talk|https://example.net/kitchen/|Cooking, spoken||1440|Food\nTalk||||"_s
            << u"Bread & salt|https://example.net/kitchen/12|We bake."_s << u"2026-10-25T00:30:00Z"_s << u"We stir."_s
            << u"channel: copyright not kept|1 item: enclosure length (no number) not kept|"
               "1 item: media:content beside the enclosure not kept|2 items: media:thumbnail not kept"_s
            << u"enclosure=https://example.net/kitchen/12.mp3|enclosurelength=24986239|enclosuretype=audio/mpeg|"
               "guid=kitchen-12|pubdate=2026-10-25 02:30:00 +0200|duration=41:38|episode=12|season=2|explicit=1|"
               "episodeimage=https://example.net/kitchen/12.jpg|podcast=1|podcastauthor=Kitchen Team|"
               "podcastowner=Ann|podcastemail=ann@example.net|podcastimage=https://example.net/k.jpg|"
               "podcastcategory=Arts|podcastsubcategory=Food|podcasttype=episodic"_s;
    QTest::newRow("Atom with xml:base: relative links, an entry known by its ID alone")
            << u"atom-relative-links.xml"_s << u"Field Notes|https://example.org/blog/|||1440|birds\nwalks||||"_s
            << u"Cranes|https://example.org/blog/2026/cranes.html|<p>Three hundred cranes.</p>"_s
            << u"2026-12-06T07:15:00Z"_s << u"White grass."_s << u"channel: id not kept|1 item: updated not kept"_s
            << u"author=rita@example.org "
               u"(Rita)|category=birds\nautumn|enclosure=https://example.org/blog/audio/cranes.ogg|"
               "enclosurelength=81920|enclosuretype=audio/ogg|guid=tag:example.org,2026:cranes|"
               "pubdate=2026-12-06 08:15:00 +0100"_s;
    QTest::newRow("RSS in a default namespace: guids, HTML characters without a document type")
            << u"userland-guids.xml"_s << u"Town Hall — Minutes|http://example.com/town/|What was decided…||1440|||||"_s
            << u"Budget… again|http://example.com/town/budget|<p>Café tax – no.</p>"_s << u"2026-12-03T18:00:00Z"_s
            << QString() << u"1 item: source not kept|1 item: date not readable, dated at the import"_s
            << u"author=Clerk|category=budget\nmoney\thttp://example.com/tags|comments=http://example.com/town/"
               u"budget#comments|"
               "guid=http://example.com/town/budget|guidpermalink=1|pubdate=2026-12-03 18:00:00 +0000"_s;
    QTest::newRow("Podcasting 2.0: every Apple and podcast tag, category domains, three categories")
            << u"podcasting20.xml"_s
            << u"Night Sky Notes|https://nightsky.example.org/|Fortnightly talks about what to look for in the night "
               "sky.|en-gb|1440|Astronomy\thttps://nightsky.example.org/topics\nScience||||"_s
            << u"Episode 24: The Geminids, and how to count meteors|https://nightsky.example.org/episodes/24|<p>Where "
               "to look for the <b>Geminids</b> this year, and how to count them.</p>"_s
            << u"2026-12-11T18:00:00Z"_s << u"What season three brings."_s
            << u"channel: copyright not kept|channel: podcast:medium not kept|1 item: description beside "
               "content:encoded not kept|1 item: podcast:soundbite not kept"_s
            << u"category=Meteors\thttps://nightsky.example.org/topics|enclosure=https://media.example.org/nightsky/"
               "nsn-024.mp3|enclosurelength=38271616|enclosuretype=audio/mpeg|guid=nightsky-24|pubdate=2026-12-11 "
               "18:00:00 +0000|duration=00:39:52|episode=24|season=3|episodetitle=The Geminids, and how to count "
               "meteors|episodetype=full|episodeimage=https://nightsky.example.org/art/ep24.jpg|transcript=https://"
               "nightsky.example.org/transcripts/24.vtt text/vtt en-gb\nhttps://nightsky.example.org/transcripts/"
               "24.srt application/x-subrip|chapters=https://nightsky.example.org/chapters/24.json|person=Priya "
               "Raman\tguest\t\t\thttps://astro.example.edu/~priya|podcast=1|podcastauthor=Mira Okafor|"
               "podcastowner=Night Sky Notes|podcastemail=hosting@nightsky.example.org|podcastimage=https://"
               "nightsky.example.org/art/show-3000.jpg|podcastcategory=Science|podcastsubcategory=Astronomy|"
               "podcasttype=episodic|podcastcategory2=Education|podcastcategory3=Leisure|podcastsubcategory3=Hobbies|"
               "podcastnewfeedurl=https://feeds.nightsky.example.org/"
               "notes.xml|podcastguid=ab531c06-babc-5f9e-88bc-ba5362c44029|podcastlocked=1|podcastlockowner=hosting@"
               "nightsky."
               "example.org|"
               "podcastfunding=https://nightsky.example.org/support Keep the telescope running\nhttps://"
               "donate.example.com/nightsky One-off gift|podcastperson=Mira Okafor\thost\t\thttps://"
               "nightsky.example.org/people/mira.jpg\thttps://nightsky.example.org/mira\nTom Lindqvist\taudio "
               "editor\taudio post-production"_s;
}

void TestFeedImport::feedsOfOtherPrograms()
{
    QFETCH(QString, file);
    QFETCH(QString, channel);
    QFETCH(QString, firstItem);
    QFETCH(QString, firstDate);
    QFETCH(QString, lastBody);
    QFETCH(QString, notes);
    QFETCH(QString, fields);

    QByteArray bytes;
    QString error;
    QVERIFY2(ReadFeedFile(QStringLiteral(FEEDSMITH_TEST_DATA) + u"/feeds/"_s + file, &bytes, &error),
             qPrintable(error));
    ImportedFeed feed;
    QVERIFY2(ParseFeed(bytes, Now, &feed, &error), qPrintable(error));
    const ChannelSettings &c = feed.channel;
    QCOMPARE((QStringList{c.title, c.link, c.description, c.language, c.ttl, c.category, c.managingeditor, c.webmaster,
                          c.imageurl, c.imagetitle}
                      .join(u'|')),
             channel);
    QCOMPARE(feed.items.size(), 2);
    QCOMPARE((QStringList{feed.items[0].title, feed.items[0].link, feed.items[0].content.text()}.join(u'|')),
             firstItem);
    QCOMPARE(feed.items[0].createdate.toUTC(), utc(firstDate));
    QCOMPARE(feed.items[1].content, lastBody);
    QCOMPARE(feed.notes.join(u'|'), notes);
    QStringList set;
    for (const EntryField &f : EntryFields) {
        if (!f.value(feed.items[0]).isEmpty())
            set.append(f.key + u'=' + f.value(feed.items[0]));
    }
    // The channel's podcast fields follow the first item's.
    FeedDocument document;
    document.channel = c;
    for (const DocumentField &f : DocumentFields) {
        if (f.key.startsWith("podcast"_L1) && !f.value(document).isEmpty())
            set.append(f.key + u'=' + f.value(document));
    }
    QCOMPARE(set.join(u'|'), fields);
}

void TestFeedImport::oddAndHostileFeeds_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("what"); // the value looked at, or "error"
    QTest::addColumn<QString>("expected"); // the value, or a part of the error

    const QByteArray atom = R"(<feed xmlns="http://www.w3.org/2005/Atom"><entry>%1</entry></feed>)";
    const QByteArray rss = "<rss version=\"2.0\"><channel>%1</channel></rss>";
    auto in = [](const QByteArray &frame, const char *inner) { return QByteArray(frame).replace("%1", inner); };
    const QByteArray xhtmlDiv = R"(<div xmlns="http://www.w3.org/1999/xhtml">)";
    const QByteArray rdf = R"(<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#" )"
                           R"(xmlns="http://purl.org/rss/1.0/" xmlns:dc="http://purl.org/dc/elements/1.1/">)"
                           R"(<item rdf:about="urn:a">%1</item></rdf:RDF>)";

    QTest::newRow("Atom xhtml content is unwrapped from its div")
            << in(atom, "<content type=\"xhtml\">" + xhtmlDiv + "<p>Hi<br/>there</p></div></content>") << u"body"_s
            << u"<p>Hi<br>there</p>"_s;
    QTest::newRow("Atom xhtml title is plain text")
            << in(atom, "<title type=\"xhtml\">" + xhtmlDiv + "A <b>bold</b> move</div></title>") << u"title"_s
            << u"A bold move"_s;
    QTest::newRow("Atom content of media type text/html")
            << in(atom, "<content type=\"text/html\">&lt;b&gt;x&lt;/b&gt;</content>") << u"body"_s << u"<b>x</b>"_s;
    QTest::newRow("Atom text content is escaped, its lines kept")
            << in(atom, "<content>a &lt; b\nc</content>") << u"body"_s << u"a &lt; b<br>c"_s;
    QTest::newRow("Atom summary stands in for content elsewhere")
            << in(atom, "<content src=\"http://x/a\"/><summary type=\"html\">&lt;i&gt;s&lt;/i&gt;</summary>")
            << u"body"_s << u"<i>s</i>"_s;
    QTest::newRow("HTML line breaks become blanks")
            << in(rss, "<item><description>&lt;p&gt;one\r\ntwo&lt;/p&gt;</description></item>") << u"body"_s
            << u"<p>one two</p>"_s;
    QTest::newRow("line breaks in pre stay lines")
            << in(rss, "<item><description><![CDATA[<pre>a\nb</pre>\nc]]></description></item>") << u"body"_s
            << u"<pre>a<br>b</pre> c"_s;
    QTest::newRow("XHTML elements inside an RSS description")
            << in(rss, "<item><description>x <b xmlns=\"http://www.w3.org/1999/xhtml\">&amp;</b></description></item>")
            << u"body"_s << u"x <b>&amp;</b>"_s;
    QTest::newRow("permanent guid stands in for a missing link")
            << in(rss, "<item><guid>https://e.org/1</guid></item>") << u"link"_s << u"https://e.org/1"_s;
    QTest::newRow("extension elements named like RSS ones are ignored")
            << in(rss, "<item xmlns:m=\"urn:m\"><m:title>no</m:title><title>yes</title></item>") << u"title"_s
            << u"yes"_s;
    QTest::newRow("HTML entities of RSS 0.91's DTD")
            << QByteArray("<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\" "
                          "\"http://my.netscape.com/publish/formats/rss-0.91.dtd\">"
                          "<rss version=\"0.91\"><channel><item><title>caf&eacute;&hellip;&nbsp;&bogus;</title>"
                          "</item></channel></rss>")
            << u"title"_s << u"café…\u00a0&bogus;"_s;
    QTest::newRow("Windows-1252 feed") << QByteArray("<?xml version=\"1.0\" encoding=\"windows-1252\"?>")
                    + in(rss, "<item><title>\x80 5</title></item>")
                                       << u"title"_s << u"\u20ac 5"_s;
    QTest::newRow("region in the language code is kept")
            << in(rss, "<language>de-AT</language>") << u"language"_s << u"de-AT"_s;
    QTest::newRow("language that is no code is left out")
            << in(rss, "<language>English (US)</language>") << u"language"_s << QString();
    QTest::newRow("time to live that is no number") << in(rss, "<ttl>soon</ttl>") << u"ttl"_s << u"1440"_s;
    QTest::newRow("RFC 822 date with a North American zone")
            << in(rss, "<item><pubDate>Mon, 07 Dec 2026 07:00:00 EST</pubDate></item>") << u"date"_s
            << u"2026-12-07T12:00:00Z"_s;
    QTest::newRow("RFC 822 date with a two-digit year and no seconds")
            << in(rss, "<item><pubDate>7 Dec 26 07:00 +0100</pubDate></item>") << u"date"_s
            << u"2026-12-07T06:00:00Z"_s;
    QTest::newRow("RSS 1.0 Dublin Core creator") << in(rdf, "<dc:creator>Ann</dc:creator>") << u"author"_s << u"Ann"_s;
    QTest::newRow("RSS 1.0 Dublin Core subjects")
            << in(rdf, "<dc:subject>a</dc:subject><dc:subject>b</dc:subject>") << u"category"_s << u"a\nb"_s;
    QTest::newRow("Atom replies link") << in(atom, "<link rel=\"replies\" href=\"http://x/c\"/>") << u"comments"_s
                                       << u"http://x/c"_s;
    QTest::newRow("Media RSS video where there is no enclosure")
            << in(rss,
                  "<item xmlns:m=\"http://search.yahoo.com/mrss/\"><m:content url=\"http://x/v.mp4\" "
                  "type=\"video/mp4\"/></item>")
            << u"enclosure"_s << u"http://x/v.mp4"_s;
    QTest::newRow("Media RSS picture or content of no type is no enclosure, and said so")
            << in(rss,
                  "<item xmlns:m=\"http://search.yahoo.com/mrss/\"><m:content url=\"http://x/p.jpg\" "
                  "type=\"image/jpeg\"/><m:content url=\"http://x/v.mp4\"/></item>")
            << u"notes"_s << u"1 item: m:content that is no audio or video not kept"_s;
    QTest::newRow("Media RSS description is the body of a video feed")
            << in(atom,
                  "<m:group xmlns:m=\"http://search.yahoo.com/mrss/\"><m:title>Cranes</m:title>"
                  "<m:description>Cranes &amp; geese\nat dawn</m:description></m:group>")
            << u"body"_s << u"Cranes &amp; geese<br>at dawn"_s;
    QTest::newRow("xml:base resolves an RSS link, its permanent guid and comments")
            << in(rss,
                  "<item xml:base=\"https://e.org/blog/\"><guid>2026/cranes</guid>"
                  "<comments xml:base=\"/talk/\">cranes</comments></item>")
            << u"link"_s << u"https://e.org/blog/2026/cranes"_s;
    QTest::newRow("xml:base resolves addresses of a body, not its text, comments or absolute ones")
            << in(rss,
                  "<item xml:base=\"https://e.org/b/\"><description>&lt;a href=\"a\"&gt;src=\"b\"&lt;img SRC = 'c'"
                  "&gt;&lt;!-- &lt;a href=\"d\"&gt; --&gt;&lt;a href=\"http://x/\"&gt;</description></item>")
            << u"body"_s
            << u"<a href=\"https://e.org/b/a\">src=\"b\"<img SRC = 'https://e.org/b/c'><!-- <a href=\"d\"> --><a href=\"http://x/\">"_s;
    QTest::newRow("item dates and IDs give entries dates and IDs, each date with its offset")
            << in(rss, "<item><pubDate>Mon, 07 Dec 2026 07:00:00 -0500</pubDate></item>") << u"pubdate"_s
            << u"2026-12-07 07:00:00 -0500"_s;
    QTest::newRow("Atom category scheme is its domain")
            << in(atom, "<category term=\"birds\" scheme=\"https://e.org/tags\"/>") << u"category"_s
            << u"birds\thttps://e.org/tags"_s;
    QTest::newRow("Atom ID that is a web address is the link")
            << in(atom, "<id>https://e.org/7</id>") << u"link"_s << u"https://e.org/7"_s;
    QTest::newRow("day name without its comma, Central European Time")
            << in(rss, "<item><pubDate>Mon 07 Dec 2026 07:00:00 CET</pubDate></item>") << u"date"_s
            << u"2026-12-07T06:00:00Z"_s;
    QTest::newRow("day name glued to the day, zone name after the offset")
            << in(rss, "<item><pubDate>Mon,07 Dec 2026 07:00 -0500 (EST)</pubDate></item>") << u"date"_s
            << u"2026-12-07T12:00:00Z"_s;
    QTest::newRow("W3C date alone is midnight UTC")
            << in(rdf, "<dc:date>2026-12-07</dc:date>") << u"date"_s << u"2026-12-07T00:00:00Z"_s;
    QTest::newRow("date that cannot be read is now")
            << in(rss, "<item><pubDate>yesterday</pubDate></item>") << u"date"_s << u"2026-12-08T05:00:00Z"_s;
    QTest::newRow("Atom html title: references of up to nine characters, digits only")
            << in(atom,
                  "<title type=\"html\">AT&amp;amp;T &lt;i&gt;&amp;#x0000041;&lt;/i&gt;&amp;#66; "
                  "&amp;#x00000041; &amp;# 67; &amp;#x4g; &amp;</title>")
            << u"title"_s << u"AT&T AB &#x00000041; &# 67; &#x4g; &"_s;
    // Addresses a reader must not open are left out, wherever they come from, and said so.
    QTest::newRow("javascript: link, its scheme read as a browser reads it")
            << in(rss, "<item><link> JaVa\tscript:alert(1)</link></item>") << u"link"_s << QString();
    QTest::newRow("data: enclosure") << in(rss, "<item><enclosure url=\"data:,a\" type=\"audio/mpeg\"/></item>")
                                     << u"enclosure"_s << QString();
    QTest::newRow("file: comments") << in(rss, "<item><comments>FILE:///etc/passwd</comments></item>") << u"comments"_s
                                    << QString();
    QTest::newRow("xml:base that makes a link a javascript: address")
            << in(atom, "<link xml:base=\"javascript:alert(1)//\" href=\"x\"/>") << u"link"_s << QString();
    QTest::newRow("file: logo gives way to the icon")
            << QByteArray(R"(<feed xmlns="http://www.w3.org/2005/Atom"><logo>file:///a.png</logo>)"
                          R"(<icon>https://e.org/i.png</icon></feed>)")
            << u"imageurl"_s << u"https://e.org/i.png"_s;
    QTest::newRow("what was left out is named once for the channel and once per kind for the items")
            << in(rss, "<link>javascript:x</link><item><link>data:,a</link></item><item><link>data:,b</link></item>")
            << u"notes"_s
            << u"The channel link \"javascript:x\" is a javascript: address and was left out.|"
               "2 items: link left out (a data: address)"_s;
    const auto dated = [&](const char *date) {
        return in(rss, "<item><pubDate>" + QByteArray(date) + "</pubDate></item>");
    };
    QTest::newRow("offset after GMT") << dated("Mon, 07 Dec 2026 07:00:00 GMT+01:00") << u"date"_s
                                      << u"2026-12-07T06:00:00Z"_s;
    QTest::newRow("zone name AEST") << dated("Mon, 07 Dec 2026 17:00:00 AEST") << u"date"_s
                                    << u"2026-12-07T07:00:00Z"_s;
    QTest::newRow("zone name BST") << dated("Tue, 07 Jul 2026 08:00 BST") << u"date"_s << u"2026-07-07T07:00:00Z"_s;
    QTest::newRow("fraction of a second")
            << dated("7 Dec 2026 07:00:00.25 GMT") << u"date"_s << u"2026-12-07T07:00:00Z"_s;
    QTest::newRow("basic ISO form") << in(rdf, "<dc:date>20030610T040000Z</dc:date>") << u"date"_s
                                    << u"2003-06-10T04:00:00Z"_s;
    QTest::newRow("leap second") << in(atom, "<updated>2016-12-31T23:59:60Z</updated>") << u"date"_s
                                 << u"2016-12-31T23:59:59Z"_s;
    // Files that programs and servers write around the XML.
    const QByteArray item = in(rss, "<item><title>x</title></item>");
    QTest::newRow("blank lines before the declaration")
            << "\r\n\n<?xml version=\"1.0\"?>" + item << u"title"_s << u"x"_s;
    QTest::newRow("byte order mark and a blank line before it")
            << "\xEF\xBB\xBF\n<?xml version=\"1.0\"?>" + item << u"title"_s << u"x"_s;
    QTest::newRow("gzip-compressed feed")
            << output(u"printf '"_s + QString::fromLatin1(item) + u"' | gzip -c"_s) << u"title"_s << u"x"_s;
    // Atom 0.3, read as the Atom 1.0 it became.
    const QByteArray atom03 = R"(<feed version="0.3" xmlns="http://purl.org/atom/ns#"><tagline>About</tagline>)"
                              R"(<entry>%1</entry></feed>)";
    QTest::newRow("Atom 0.3 tagline is the description") << in(atom03, "") << u"description"_s << u"About"_s;
    QTest::newRow("Atom 0.3 escaped HTML content")
            << in(atom03, R"(<content type="text/html" mode="escaped">&lt;b&gt;x&lt;/b&gt;</content>)") << u"body"_s
            << u"<b>x</b>"_s;
    QTest::newRow("Atom 0.3 content in base64")
            << in(atom03, R"(<content type="text/html" mode="base64">PGI+eDwvYj4=</content>)") << u"body"_s
            << u"<b>x</b>"_s;
    QTest::newRow("Atom 0.3 issued is the date, modified the update")
            << in(atom03, "<modified>2026-12-02T00:00:00Z</modified><issued>2026-12-01T10:00:00+01:00</issued>")
            << u"date"_s << u"2026-12-01T09:00:00Z"_s;
    QTest::newRow("Atom published wins over updated")
            << in(atom, "<updated>2026-12-02T00:00:00Z</updated><published>2026-12-01T10:00:00.5+01:00</published>")
            << u"date"_s << u"2026-12-01T09:00:00Z"_s;

    // Refused: nothing is imported.
    QTest::newRow("entity declarations (a billion laughs)")
            << QByteArray("<!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;\">]>"
                          "<rss><channel><title>&b;</title></channel></rss>")
            << u"error"_s << u"document type of its own"_s;
    QTest::newRow("external entity") << QByteArray(
            "<!DOCTYPE rss [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><rss><channel><title>&e;</title>"
            "</channel></rss>") << u"error"_s
                                     << u"document type of its own"_s;
    QTest::newRow("HTML page") << QByteArray("<html><body>x</body></html>") << u"error"_s
                               << u"not an RSS or Atom feed (its root element is <html>)"_s;
    QTest::newRow("unclosed element") << in(rss, "<item><title>x</item>") << u"error"_s << u"no well-formed feed"_s;
    QTest::newRow("empty file") << QByteArray() << u"error"_s << u"no well-formed feed"_s;
    QTest::newRow("gzip file that unpacks to more than 64 MB")
            << output(u"head -c 70000000 /dev/zero | gzip -c"_s) << u"error"_s
            << u"is compressed with gzip and unpacks to more than 64 MB"_s;
    QTest::newRow("bzip2 file") << QByteArray("BZh91AY&SY") << u"error"_s << u"is compressed with bzip2"_s;
    // Every '=' outside quotes counts, in start tags only: 1000 attributes pass, 1001 do not.
    auto attributes = [](int n, const char *first) {
        QByteArray a = QByteArray(" a=\"") + first + '"';
        for (int i = 1; i < n; ++i)
            a += " a" + QByteArray::number(i) + "=''";
        return a;
    };
    QTest::newRow("element with 1001 attributes, after a comment, CDATA and 1000 quoted '=' and '>'")
            << in(rss,
                  "<!--" + attributes(1001, "") + "-->\n<?pi" + attributes(1001, "") + "?><![CDATA["
                          + attributes(1001, "") + "]]>\n<item" + attributes(1000, "=>") + "/>\n<item"
                          + attributes(1001, ">") + "/>")
            << u"error"_s << u"line 4: the element <item> has more than 1000 attributes"_s;
    auto namespaces = [](int n) {
        QByteArray a;
        for (int i = 0; i < n; ++i)
            a += " xmlns:p" + QByteArray::number(i) + "='urn:p'";
        return a;
    };
    QTest::newRow("101 namespaces in scope; those of a closed element are not")
            << in(rss,
                  "<item" + namespaces(60) + "></item>\n<item" + namespaces(60) + "><title" + namespaces(41)
                          + "/></item>")
            << u"error"_s << u"line 2: the element <title> has more than 100 namespaces declared around it"_s;
    QTest::newRow("start tag longer than 1 MB")
            << in(rss, "<item a=\"" + QByteArray(1 << 20, 'x') + "\"/>") << u"error"_s
            << u"line 1: the element <item> has a start tag longer than 1 MB"_s;
}

void TestFeedImport::oddAndHostileFeeds()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, what);
    QFETCH(QString, expected);

    ImportedFeed feed;
    QString error;
    const bool ok = ParseFeed(xml, Now, &feed, &error);
    if (what == "error"_L1) {
        QVERIFY(!ok);
        QVERIFY2(error.contains(expected), qPrintable(error));
        return;
    }
    QVERIFY2(ok, qPrintable(error));
    const RSSentry item = feed.items.value(0);
    const QMap<QString, QString> values = {{u"title"_s, item.title},
                                           {u"link"_s, item.link},
                                           {u"body"_s, item.content.text()},
                                           {u"date"_s, item.createdate.toUTC().toString(Qt::ISODate)},
                                           {u"language"_s, feed.channel.language},
                                           {u"description"_s, feed.channel.description},
                                           {u"ttl"_s, feed.channel.ttl},
                                           {u"imageurl"_s, feed.channel.imageurl},
                                           {u"notes"_s, feed.notes.join(u'|')}};
    QCOMPARE(entryField(what) ? entryField(what)->value(item) : values.value(what), expected);
}

void TestFeedImport::limits()
{
    // More items than a document can hold: the newest 32767, the rest counted.
    QByteArray many = "<rss><channel>";
    for (int i = 0; i < EntryCollection::MaxEntries + 2; ++i)
        many += "<item/>";
    many += "</channel></rss>";
    ImportedFeed feed;
    QString error;
    QVERIFY(ParseFeed(many, Now, &feed, &error));
    QCOMPARE(feed.items.size(), EntryCollection::MaxEntries);
    QCOMPARE(feed.itemsLeftOut, 2);
    QCOMPARE(feed.channel.number, u"32767"_s);

    // A file past the size limit is refused before it is read; so is anything but a regular file.
    QTemporaryDir dir;
    QFile big(dir.filePath(u"big.xml"_s));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(MaxFeedBytes + 1));
    big.close();
    QByteArray bytes;
    QVERIFY(!ReadFeedFile(big.fileName(), &bytes, &error));
    QVERIFY2(error.contains(u"larger than 64 MB"_s), qPrintable(error));
    QVERIFY(bytes.isEmpty());
    QVERIFY(!ReadFeedFile(u"/dev/zero"_s, &bytes, &error));
    QVERIFY(!ReadFeedFile(dir.path(), &bytes, &error));
    // Neither is the root element of a file with more attributes than any feed has looked at.
    QByteArray root = "<rss";
    for (int i = 0; i < 1001; ++i)
        root += " a" + QByteArray::number(i) + "=''";
    QVERIFY(FeedsmithTest::writeBytes(big.fileName(), root + "/>"));
    QVERIFY(!IsFeedFile(big.fileName()));

    // A value longer than any box takes is cut, and said so.
    const QByteArray longTitle =
            "<rss><channel><title>" + QByteArray(NoTypingLimit + 5, 'x') + "</title></channel></rss>";
    QVERIFY(ParseFeed(longTitle, Now, &feed, &error));
    QCOMPARE(feed.channel.title.size(), NoTypingLimit);
    QCOMPARE(feed.notes.size(), 1);
}

void TestFeedImport::ourRssReadsBackTheSame_data()
{
    QTest::addColumn<QString>("project");
    QTest::newRow("the example project") << FeedsmithTest::binDir() + u"/feeds/example.rsx"_s;
    QTest::newRow("projects of earlier versions") << QStringLiteral(FEEDSMITH_TEST_DATA) + u"/earlier-german.rsx"_s;
    QTest::newRow("a podcast with every field and dated items, imported, saved and opened")
            << QStringLiteral(FEEDSMITH_TEST_DATA) + u"/feeds/podcasting20.xml"_s;
}

void TestFeedImport::ourRssReadsBackTheSame()
{
    QFETCH(QString, project);
    const QString folder = FeedsmithTest::binDir();
    const QString styleBlock = BuildStyleBlock(folder);
    FeedDocument original;
    if (project.endsWith(u".xml"_s)) {
        QByteArray bytes;
        QString error;
        ImportedFeed feed;
        QVERIFY2(ReadFeedFile(project, &bytes, &error) && ParseFeed(bytes, Now, &feed, &error), qPrintable(error));
        FeedDocument imported;
        LoadImportedFeed(imported, feed, KeyedTexts(), styleBlock);
        const QByteArray saved = BuildProjectFile(imported, styleBlock);
        LoadProjectRows(original, ParseMarkup(Windows1252::decode(saved)), KeyedTexts(), styleBlock, QLocale::c());
        QCOMPARE(original.channel, imported.channel);
    } else {
        QVERIFY(ReadProjectFile(original, project, folder, KeyedTexts(), QLocale(QLocale::German)).fileOpened);
    }
    // Values that need escaping, letters to transliterate and a character beyond the code page.
    original.channel.title += u" Café & <Bar> →"_s;
    original.entries.at(1).title = u"Fish & <chips> →"_s;
    original.entries.at(1).link = u"https://example.com/?a=1&b=2"_s;
    original.entries.at(1).content = styleBlock + u"<p>one</p>\r\n<p>two &amp; → ]]> x</p>"_s;
    const QByteArray rss = BuildRssFile(original, styleBlock, Now);

    ImportedFeed feed;
    QString error;
    QVERIFY2(ParseFeed(rss, Now, &feed, &error), qPrintable(error));
    FeedDocument imported;
    LoadImportedFeed(imported, feed, KeyedTexts(), styleBlock);
    QCOMPARE(imported.entryCount(), std::min(original.entryCount(), 10));
    const QStringList again = QString::fromUtf8(BuildRssFile(imported, styleBlock, Now)).split(u'\n');
    QCOMPARE(again.join(u"\n"_s), QString::fromUtf8(rss));
    // The categories and the podcast's fields come back as they went out.
    for (const DocumentField &field : DocumentFields) {
        if (field.key.startsWith("podcast"_L1) || field.key == "category"_L1)
            QCOMPARE(field.value(imported), field.value(original));
    }
    for (int k = 1; k <= imported.entryCount(); ++k) {
        const RSSentry &entry = original.entries.at(original.entryCount() - imported.entryCount() + k);
        for (const EntryField &field : EntryFields) {
            if (field.podcastOnly || field.key == "category"_L1)
                QCOMPARE(field.value(imported.entries.at(k)), field.value(entry));
        }
    }
}

QTEST_GUILESS_MAIN(TestFeedImport)

#include "tst_feedimport.moc"

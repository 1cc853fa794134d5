// Tests of the HTML preview: placeholder filling, entry choice, the image tag, the written page and the commit hook.
#include "core/output/preview.h"
#include "core/output/rsswriter.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"
#include "testsupport.h"

using namespace Feedsmith;
using namespace Qt::StringLiterals;

namespace {

const QString TestStyleBlock = StyleBlockFor(u"p { margin: 0; }"_s);

void addEntries(FeedDocument &document, int count)
{
    for (int i = 1; i <= count; ++i)
        document.entries.append(RSSentry{u"key%1"_s.arg(i), {}, {}});
}

// A program folder holding the shipped files; a test replaces the templates it needs.
struct ProgramFolder
{
    QTemporaryDir dir;
    bool ready = dir.isValid() && FeedsmithTest::copyProgramFiles(dir.path());

    QString path() const { return dir.path(); }
    QString file(const QString &name) const { return dir.filePath(name); }
    bool write(const QString &name, const QByteArray &bytes) const
    {
        return FeedsmithTest::writeBytes(file(name), bytes);
    }
    QString page() const { return file(u"rsspreview.html"_s); }
};

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT

private slots:
    void entryTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("expected");
        QTest::newRow("title and link make a link")
                << u"News"_s << u"https://example.org/1"_s << u"<a href=\"https://example.org/1\">News</a>"_s;
        QTest::newRow("title only is plain text") << u"News"_s << QString() << u"News"_s;
        QTest::newRow("link only gives nothing") << QString() << u"https://example.org/1"_s << QString();
        QTest::newRow("neither gives nothing") << QString() << QString() << QString();
        QTest::newRow("title inserted as HTML, link as an attribute value")
                << u"Café & <i>Bar</i>"_s << u"https://example.org/?a=1&b=2"_s
                << u"<a href=\"https://example.org/?a=1&amp;b=2\">Café & <i>Bar</i></a>"_s;
        QTest::newRow("link cannot leave its attribute")
                << u"News"_s << u"x\" onmouseover=\"alert(1)\"><script>"_s
                << u"<a href=\"x&quot; onmouseover=&quot;alert(1)&quot;&gt;&lt;script&gt;\">News</a>"_s;
    }

    void entryTitle()
    {
        QFETCH(QString, title);
        QFETCH(QString, link);
        FeedDocument document;
        document.entries.append(RSSentry{title, link, u"body"_s});
        const QString page = BuildPreviewPage(document, 1, u"[{TITLE}]"_s, u"{ENTRIES}"_s, TestStyleBlock);
        QFETCH(QString, expected);
        QCOMPARE(page, u"["_s + expected + u"]"_s);
    }

    void placeholders_data()
    {
        QTest::addColumn<QString>("entryTemplate");
        QTest::addColumn<QString>("pageTemplate");
        QTest::addColumn<QString>("expected");
        const QString entry = u"{TITLE}:{DESCRIPTION}"_s;
        QTest::newRow("page title in capitals") << entry << u"<{TITLE}>"_s << u"<My news>"_s;
        QTest::newRow("page title capitalised") << entry << u"<{Title}>"_s << u"<My news>"_s;
        QTest::newRow("page title in small letters") << entry << u"<{title}>"_s << u"<My news>"_s;
        QTest::newRow("every occurrence of the page title")
                << entry << u"{TITLE}|{title}|{TITLE}"_s << u"My news|My news|My news"_s;
        QTest::newRow("feed title in mixed case") << entry << u"<{FeedTitle}>"_s << u"<My news>"_s;
        QTest::newRow("entries in small letters") << entry << u"<{entries}>"_s << u"<T:C>"_s;
        QTest::newRow("entry placeholders in mixed case") << u"{Title}+{description}"_s << u"{ENTRIES}"_s << u"T+C"_s;
        QTest::newRow("every occurrence in the entry")
                << u"{DESCRIPTION}{Description}{TITLE}{title}"_s << u"{ENTRIES}"_s << u"CCTT"_s;
        QTest::newRow("styles in mixed case") << entry << u"<{Styles}>"_s << u"<"_s + TestStyleBlock + u">"_s;
        QTest::newRow("page without placeholders") << entry << u"<p>plain</p>"_s << u"<p>plain</p>"_s;
        QTest::newRow("the label in mixed case") << entry << u"<{PreviewLabel}>"_s << u"<Feed preview>"_s;
        QTest::newRow("entry fields by their keys, as text")
                << u"{AUTHOR}|{Category}|{enclosure}|[{COMMENTS}]"_s << u"{ENTRIES}"_s
                << u"&lt;b&gt;Ann&lt;/b&gt;|news, K\u00f6ln|https://e.org/a.mp3?x=1&amp;y=2|[]"_s;
        QTest::newRow("fields the window does not show are no placeholders")
                << u"{ENCLOSUREFILE}{GUIDPERMALINK}"_s << u"{ENTRIES}"_s << u"{ENCLOSUREFILE}{GUIDPERMALINK}"_s;
    }

    void placeholders()
    {
        QFETCH(QString, entryTemplate);
        QFETCH(QString, pageTemplate);
        FeedDocument document;
        document.channel.title = u"My news"_s;
        RSSentry entry{u"T"_s, {}, u"C"_s};
        entry.author = u"<b>Ann</b>"_s;
        entry.categories = u"news\nK\u00f6ln"_s;
        entry.enclosureurl = u"https://e.org/a.mp3?x=1&y=2"_s;
        entry.enclosurefile = u"/home/ann/a.mp3"_s;
        document.entries.append(entry);
        QTEST(BuildPreviewPage(document, 1, entryTemplate, pageTemplate, TestStyleBlock), "expected");
    }

    void insertedTextIsNotFilledAgain_data()
    {
        QTest::addColumn<QString>("channelTitle");
        QTest::addColumn<QString>("entryTitle");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("entry title naming the description")
                << u"C"_s << u"{DESCRIPTION}{description}"_s << u"body"_s << u"C|C|{DESCRIPTION}{description}:body|S"_s;
        QTest::newRow("body naming the entry title") << u"C"_s << u"T"_s << u"{TITLE}"_s << u"C|C|T:{TITLE}|S"_s;
        QTest::newRow("channel title naming the entries and styles")
                << u"{ENTRIES}{STYLES}"_s << u"T"_s << u"b"_s << u"{ENTRIES}{STYLES}|{ENTRIES}{STYLES}|T:b|S"_s;
        QTest::newRow("unknown and broken placeholders stay")
                << u"C"_s << u"{TITLE"_s << u"{NOPE}{"_s << u"C|C|{TITLE:{NOPE}{|S"_s;
    }

    void insertedTextIsNotFilledAgain()
    {
        FeedDocument document;
        QFETCH(QString, channelTitle);
        document.channel.title = channelTitle;
        QFETCH(QString, entryTitle);
        QFETCH(QString, content);
        document.entries.append(RSSentry{entryTitle, {}, content});
        QTEST(BuildPreviewPage(document, 1, u"{TITLE}:{DESCRIPTION}"_s, u"{TITLE}|{FEEDTITLE}|{ENTRIES}|{STYLES}"_s,
                               u"S"_s),
              "expected");
    }

    void pageGrowsWithTheInputOnly()
    {
        // Titles and bodies made of placeholders: each inserted text is copied once.
        FeedDocument document;
        document.channel.title = u"{ENTRIES}"_s.repeated(500);
        for (int i = 0; i < 500; ++i)
            document.entries.append(RSSentry{u"{DESCRIPTION}"_s.repeated(10), {}, u"{TITLE}{ENTRIES}"_s.repeated(10)});
        const qsizetype input = 500 * (130 + 160) + 2 * document.channel.title.size();
        const QString page = BuildPreviewPage(document, 500, u"{TITLE}{DESCRIPTION}"_s,
                                              u"{TITLE}{FEEDTITLE}{ENTRIES}{STYLES}"_s, TestStyleBlock);
        QCOMPARE(page.size(), input + TestStyleBlock.size());
    }

    // The file is made from the entries' bytes where it can; it must be the page text encoded.
    void fileIsThePageEncoded_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("content");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<int>("taken");
        const QString body = u"[[p]]Gr\u00FC\u00DFe[:bst:] \u20AC 5 &amp; x]][[/p]]"_s;
        QTest::newRow("stored bodies") << u"Caf\u00E9"_s << body << true << 3;
        QTest::newRow("contents as typed") << u"T"_s << u"<p>Gr\u00FC\u00DFe</p>"_s << false << 3;
        QTest::newRow("a content beyond the code page") << u"T"_s << u"a \u2192 b"_s << false << 2;
        QTest::newRow("a title beyond the code page") << u"\U0001F600 \u2192"_s << body << true << 3;
        QTest::newRow("halves of a pair in title and content")
                << (u"T"_s + QChar(0xD83D)) << (QChar(0xDE00) + u"x"_s) << false << 1;
        QTest::newRow("titles that pair up from entry to entry")
                << (QChar(0xDE00) + u"x"_s + QChar(0xD83D)) << body << true << 3;
        QTest::newRow("no entry taken") << u"T"_s << body << true << 0;
    }

    void fileIsThePageEncoded()
    {
        QFETCH(QString, title);
        QFETCH(QString, content);
        QFETCH(bool, stored);
        QFETCH(int, taken);
        FeedDocument document;
        document.channel.title = u"Kan\u00E4l"_s;
        StyleBlockForms forms{TestStyleBlock, TestStyleBlock.toLatin1()};
        for (int i = 0; i < 3; ++i) {
            document.entries.append(
                    RSSentry{title, i == 0 ? u"https://example.org/?a=1&b=2"_s : QString(),
                             stored ? EntryContent::fromStoredBody(forms, Windows1252::encode(content)) : content});
            document.entries.at(i + 1).author = title + u" <&>"_s;
        }
        for (const QString &entryTemplate :
             {u"<h2>{TITLE}</h2>{DESCRIPTION}<hr>{AUTHOR}"_s, u"{TITLE}{DESCRIPTION}"_s, u"{TITLE}"_s}) {
            const QString pageTemplate = u"<title>{TITLE}</title>{STYLES}{FEEDTITLE}{ENTRIES}\u00E4"_s;
            const QByteArray expected =
                    Windows1252::encode(BuildPreviewPage(document, taken, entryTemplate, pageTemplate, TestStyleBlock))
                    + "\r\n";
            QCOMPARE(BuildPreviewFile(document, taken, entryTemplate, pageTemplate, TestStyleBlock), expected);
        }
    }

    void descriptionUnchanged_data()
    {
        QTest::addColumn<QString>("content");
        QTest::newRow("empty content gives nothing") << QString();
        QTest::newRow("editor document with style block and line break")
                << u"<html><head>"_s + TestStyleBlock + u"</head><body><p>Grüße &amp; →</p>\r\n</body></html>"_s;
        QTest::newRow("stored body with bracket escapes") << TestStyleBlock + u"[[b]]x[:bst:] &nbsp;"_s;
        QTest::newRow("several style blocks") << TestStyleBlock + TestStyleBlock + u"<p>x</p>"_s;
    }

    void descriptionUnchanged()
    {
        QFETCH(QString, content);
        FeedDocument document;
        document.entries.append(RSSentry{u"T"_s, {}, content});
        const QString page = BuildPreviewPage(document, 1, u"[{DESCRIPTION}]"_s, u"{ENTRIES}"_s, TestStyleBlock);
        QCOMPARE(page, u"["_s + content + u"]"_s);
    }

    void feedTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("imageurl");
        QTest::addColumn<QString>("imagetitle");
        QTest::addColumn<QString>("imagelink");
        QTest::addColumn<QString>("expected");
        const QString url = u"https://example.org/logo.png"_s;
        const QString link = u"https://example.org/"_s;
        QTest::newRow("image with title and link")
                << u"My news"_s << url << u"Logo"_s << link
                << u"<a href=\"https://example.org/\"><img src = \"https://example.org/logo.png\" alt=\"Logo\" "
                   u"border = 0\"></a>"_s;
        QTest::newRow("image without link")
                << u"My news"_s << url << u"Logo"_s << QString()
                << u"<img src = \"https://example.org/logo.png\" alt=\"Logo\" border = 0\">"_s;
        QTest::newRow("image with empty title gives an empty alternative text")
                << u"My news"_s << url << QString() << QString()
                << u"<img src = \"https://example.org/logo.png\" alt=\"\" border = 0\">"_s;
        QTest::newRow("image link without url gives the channel title")
                << u"My news"_s << QString() << u"Logo"_s << link << u"My news"_s;
        QTest::newRow("image fields cannot leave their attributes")
                << u"My news"_s << u"x.png\" onerror=\"alert(1)"_s << u"a\"<b>"_s << u"l\"><script>"_s
                << u"<a href=\"l&quot;&gt;&lt;script&gt;\"><img src = \"x.png&quot; onerror=&quot;alert(1)\" "
                   u"alt=\"a&quot;&lt;b&gt;\" border = 0\"></a>"_s;
        QTest::newRow("no image gives the channel title")
                << u"My news"_s << QString() << QString() << QString() << u"My news"_s;
        QTest::newRow("no image and no title gives nothing")
                << QString() << QString() << QString() << QString() << QString();
    }

    void feedTitle()
    {
        FeedDocument document;
        QFETCH(QString, title);
        document.channel.title = title;
        QFETCH(QString, imageurl);
        document.channel.imageurl = imageurl;
        QFETCH(QString, imagetitle);
        document.channel.imagetitle = imagetitle;
        QFETCH(QString, imagelink);
        document.channel.imagelink = imagelink;
        QFETCH(QString, expected);
        const QString page =
                BuildPreviewPage(document, 0, QString(), u"<title>{TITLE}</title>[{FEEDTITLE}]"_s, TestStyleBlock);
        QCOMPARE(page, u"<title>"_s + title + u"</title>["_s + expected + u"]"_s);
    }

    void entries_data()
    {
        QTest::addColumn<int>("taken");
        QTest::addColumn<QString>("entryTemplate");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no entry taken leaves the placeholder") << 0 << u"<{TITLE}>"_s << u"[{ENTRIES}]"_s;
        QTest::newRow("entries filling to nothing leave the placeholder")
                << 3 << u"{DESCRIPTION}"_s << u"[{ENTRIES}]"_s;
        QTest::newRow("empty entry template leaves the placeholder") << 3 << QString() << u"[{ENTRIES}]"_s;
        QTest::newRow("two newest in feed order") << 2 << u"<{TITLE}>"_s << u"[<key3><key2>]"_s;
        QTest::newRow("all in feed order") << 3 << u"<{TITLE}>"_s << u"[<key3><key2><key1>]"_s;
    }

    void entries()
    {
        QFETCH(int, taken);
        QFETCH(QString, entryTemplate);
        FeedDocument document;
        addEntries(document, 3);
        QTEST(BuildPreviewPage(document, taken, entryTemplate, u"[{ENTRIES}]"_s, TestStyleBlock), "expected");
    }

    void emptyPage_data()
    {
        QTest::addColumn<int>("entryCount");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("numberAfter");
        QTest::newRow("no entries") << 0 << u"10"_s << u"10"_s;
        QTest::newRow("no entries and number 0") << 0 << u"0"_s << u"10"_s;
        QTest::newRow("number 00") << 3 << u"00"_s << u"00"_s;
        QTest::newRow("number -1") << 3 << u"-1"_s << u"-1"_s;
    }

    void emptyPage()
    {
        QFETCH(int, entryCount);
        QFETCH(QString, number);
        ProgramFolder folder;
        QVERIFY(folder.ready);
        const QByteArray oldPage = "<p>previous page</p>\r\n";
        QVERIFY(folder.write(u"rsspreview.html"_s, oldPage));
        FeedDocument document;
        document.channel.title = u"My news"_s;
        document.channel.number = number;
        addEntries(document, entryCount);
        const PreviewResult result = BuildPreview(document, folder.path(), folder.page(), QLocale::c());
        QVERIFY(result.ok);
        QVERIFY(result.emptyPage);
        QCOMPARE(QDir::cleanPath(result.pagePath), QDir::cleanPath(folder.file(u"empty.html"_s)));
        QVERIFY(!result.windowCaption.has_value());
        QCOMPARE(FeedsmithTest::readBytes(folder.page()), oldPage);
        ResetFeedItemNumber(document.channel, QLocale::c());
        QTEST(document.channel.number, "numberAfter");
    }

    void shownEntries_data()
    {
        QTest::addColumn<int>("entryCount");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QString>("numberAfter");
        QByteArray all12;
        for (int i = 12; i >= 1; --i)
            all12 += "<key" + QByteArray::number(i) + '>';
        QTest::newRow("ten of ten, key10 first")
                << 10 << u"10"_s << "<key10><key9><key8><key7><key6><key5><key4><key3><key2><key1>"_ba << u"10"_s;
        const QByteArray key12to3 = all12.left(all12.indexOf("<key2>"));
        QTest::newRow("ten of twelve, key12 to key3") << 12 << u"10"_s << key12to3 << u"10"_s;
        QTest::newRow("number 15 shows all twelve") << 12 << u"15"_s << all12 << u"15"_s;
        QTest::newRow("number 0 is reset to 10") << 3 << u"0"_s << "<key3><key2><key1>"_ba << u"10"_s;
        QTest::newRow("letters are reset to 10") << 3 << u"ten"_s << "<key3><key2><key1>"_ba << u"10"_s;
        QTest::newRow("empty number is reset to 10") << 3 << QString() << "<key3><key2><key1>"_ba << u"10"_s;
        QTest::newRow("number 2.5 shows two") << 5 << u"2.5"_s << "<key5><key4>"_ba << u"2.5"_s;
        QTest::newRow("number 0.5 shows the page without entries") << 5 << u"0.5"_s << "{ENTRIES}"_ba << u"0.5"_s;
    }

    void shownEntries()
    {
        QFETCH(int, entryCount);
        QFETCH(QString, number);
        QFETCH(QByteArray, expected);
        ProgramFolder folder;
        QVERIFY(folder.ready);
        QVERIFY(folder.write(u"entry.html"_s, "<{TITLE}>"));
        QVERIFY(folder.write(u"preview.html"_s, "{TITLE}|{ENTRIES}"));
        FeedDocument document;
        document.channel.title = u"My news"_s;
        document.channel.number = number;
        addEntries(document, entryCount);
        const PreviewResult result = BuildPreview(document, folder.path(), folder.page(), QLocale::c());
        QVERIFY2(result.ok, qPrintable(result.error));
        QVERIFY(!result.emptyPage);
        QCOMPARE(result.pagePath, folder.page());
        QCOMPARE(result.windowCaption.value_or(u"<none>"_s), u"Feedsmith - My news"_s);
        QCOMPARE(FeedsmithTest::readBytes(folder.page()), "My news|" + expected + "\r\n");
        ResetFeedItemNumber(document.channel, QLocale::c());
        QTEST(document.channel.number, "numberAfter");
    }

    void windowCaption_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("title filled") << u"My news"_s << u"Feedsmith - My news"_s << "<My news|My news>\r\n"_ba;
        QTest::newRow("title empty sets no caption") << QString() << QString() << "<|>\r\n"_ba;
    }

    void windowCaption()
    {
        QFETCH(QString, title);
        QFETCH(QString, caption);
        ProgramFolder folder;
        QVERIFY(folder.ready);
        QVERIFY(folder.write(u"preview.html"_s, "<{TITLE}|{FEEDTITLE}>"));
        FeedDocument document;
        document.channel.title = title;
        addEntries(document, 1);
        const PreviewResult result = BuildPreview(document, folder.path(), folder.page(), QLocale::c());
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.windowCaption.has_value(), !caption.isEmpty());
        QCOMPARE(result.windowCaption.value_or(QString()), caption);
        QTEST(FeedsmithTest::readBytes(folder.page()), "written");
    }

    void missingTemplate_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("missing entry.html gives -1 per entry") << u"entry.html"_s << "[-1-1-1]\r\n"_ba;
        QTest::newRow("missing preview.html gives a page of -1") << u"preview.html"_s << "-1\r\n"_ba;
    }

    void missingTemplate()
    {
        QFETCH(QString, missing);
        ProgramFolder folder;
        QVERIFY(folder.ready);
        QVERIFY(folder.write(u"entry.html"_s, "<{TITLE}>"));
        QVERIFY(folder.write(u"preview.html"_s, "[{ENTRIES}]"));
        QVERIFY(QFile::remove(folder.file(missing)));
        FeedDocument document;
        document.channel.title = u"My news"_s;
        addEntries(document, 3);
        const PreviewResult result = BuildPreview(document, folder.path(), folder.page(), QLocale::c());
        QVERIFY2(result.ok, qPrintable(result.error));
        QTEST(FeedsmithTest::readBytes(folder.page()), "written");
    }

    void templateLinesAndStyleSheet()
    {
        ProgramFolder folder;
        QVERIFY(folder.ready);
        QVERIFY(folder.write(u"styles.css"_s, "p {\r\n}\r\n"));
        QVERIFY(folder.write(u"entry.html"_s, "<li>\r\n{TITLE}\r\n</li>\r\n"));
        QVERIFY(folder.write(u"preview.html"_s, "<head>\r\n{STYLES}\r\n</head>\r\n<ul>{ENTRIES}</ul>\r\n"));
        FeedDocument document;
        addEntries(document, 2);
        const PreviewResult result = BuildPreview(document, folder.path(), folder.page(), QLocale::c());
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(FeedsmithTest::readBytes(folder.page()),
                 "<head>"_ba + ContentPolicyMeta.latin1()
                         + "<style type=text/css><!--p {}--></style></head><ul><li>key2</li><li>key1</li></ul>\r\n");
    }

    void windows1252Output()
    {
        ProgramFolder folder;
        QVERIFY(folder.ready);
        QVERIFY(folder.write(u"entry.html"_s, "{DESCRIPTION}"));
        QVERIFY(folder.write(u"preview.html"_s, "{TITLE}|{ENTRIES}"));
        FeedDocument document;
        document.channel.title = u"Grüße € →"_s;
        document.entries.append(RSSentry{u"T"_s, {}, u"<p>Ä 😀</p>"_s});
        const PreviewResult result = BuildPreview(document, folder.path(), folder.page(), QLocale::c());
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(FeedsmithTest::readBytes(folder.page()),
                 "Gr\xFC\xDF"
                 "e \x80 &#8594;|<p>\xC4 &#128512;</p>\r\n"_ba);
    }

    void shippedTemplates()
    {
        ProgramFolder folder;
        QVERIFY(folder.ready);
        const QString pagePath = defaultPreviewPath(folder.path());
        FeedDocument document;
        document.channel.title = u"My news"_s;
        document.channel.imageurl = u"https://example.org/logo.png"_s;
        document.entries.append(RSSentry{u"First"_s, u"https://example.org/1"_s, u"<p>Hello there</p>"_s});
        const PreviewResult result = BuildPreview(document, folder.path(), pagePath, QLocale::c());
        QVERIFY2(result.ok, qPrintable(result.error));
        const QByteArray page = FeedsmithTest::readBytes(pagePath);
        QVERIFY(page.endsWith("\r\n"));
        QVERIFY(!page.left(page.size() - 2).contains('\n'));
        QVERIFY(page.contains("<a href=\"https://example.org/1\">First</a>"));
        QVERIFY(page.contains("<p>Hello there</p>"));
        QVERIFY(page.contains("<img src = \"https://example.org/logo.png\" alt=\"\" border = 0\">"));
        QVERIFY(page.contains("<style type=text/css><!--body {"));
        QVERIFY(page.contains(">Feed preview</div>"));
        for (const char *placeholder :
             {"{title}", "{feedtitle}", "{entries}", "{styles}", "{description}", "{previewlabel}"})
            QVERIFY2(!page.toLower().contains(placeholder), placeholder);
    }

    // The page belongs to the user's cache, never to the program's folder, writable or not (an
    // installed program's files belong to its package).
    void previewPathLeavesAnUnwritableProgramFolder()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(!defaultPreviewPath(folder.path()).startsWith(folder.path()));

        const QString missing = folder.filePath(u"no-such-folder"_s);
        const QString elsewhere = defaultPreviewPath(missing);
        QVERIFY2(!elsewhere.startsWith(missing), qPrintable(elsewhere));
        QVERIFY(elsewhere.endsWith(u"/rsspreview.html"_s));
        QVERIFY(QFileInfo(QFileInfo(elsewhere).path()).isWritable());
    }

    void unwritablePage_data()
    {
        QTest::addColumn<QString>("pageName");
        QTest::newRow("page path is a folder") << u"folder.html"_s;
        QTest::newRow("folder of the page does not exist") << u"missing/rsspreview.html"_s;
    }

    void unwritablePage()
    {
        QFETCH(QString, pageName);
        ProgramFolder folder;
        QVERIFY(folder.ready);
        QVERIFY(QDir(folder.path()).mkdir(u"folder.html"_s));
        FeedDocument document;
        document.channel.title = u"My news"_s;
        addEntries(document, 2);
        const QString pagePath = folder.file(pageName);
        const PreviewResult result = BuildPreview(document, folder.path(), pagePath, QLocale::c());
        QVERIFY(!result.ok);
        QVERIFY(!result.emptyPage);
        QVERIFY2(result.error.contains(QDir::toNativeSeparators(pagePath)), qPrintable(result.error));
        QVERIFY(QFileInfo(folder.file(u"folder.html"_s)).isDir());
        QVERIFY(!QFileInfo::exists(folder.file(u"missing"_s)));
    }
};

QTEST_GUILESS_MAIN(TestPreview)
#include "tst_preview.moc"

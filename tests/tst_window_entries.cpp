// The contents page with the real web editor: entries made, written, switched, deleted,
// formatted and pasted into, and the preview of the newest entries.
#include "core/locale/userdictionary.h"
#include "entrysupport.h"

#include "core/output/feedcheck.h"
#include "core/output/podcasting.h"
#include "core/output/rsswriter.h"
#include "core/project/projectreader.h"
#include "core/text/textencoding.h"
#include "core/text/textfiles.h"

#include "core/project/projectwriter.h"
#include "core/system/systemlocale.h"
#include "window/editing/linkdialog.h"
#include "window/platform/icons.h"
#include "window/shell/htmlpane.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTcpServer>
#include <QTcpSocket>
#include <QToolButton>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInfo>

using namespace Feedsmith;
using namespace FeedsmithTest;
using namespace Qt::StringLiterals;

namespace {

// Gives entry 1 a stored content and loads it into the editor. The editor is first bound to the
// root, so that loading commits nothing over the content.
bool loadStoredContent(ContentsProgram &p, const QString &content)
{
    if (!p.clickNode(u"root"_s))
        return false;
    p.document().entries.at(1).content = content;
    return p.clickNode(u"key1"_s);
}

void selectInEditor(RichTextEditor *editor, const QString &nodeScript, int start, int end)
{
    runInEditor(editor,
                u"var n = %1; var r = document.createRange(); r.setStart(n, %2); r.setEnd(n, %3);"
                " getSelection().removeAllRanges(); getSelection().addRange(r);"_s.arg(nodeScript)
                        .arg(start)
                        .arg(end));
}

} // namespace

class tst_WindowEntries : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_page = std::make_unique<ContentsProgram>();
        // US regional settings: the list reads month first, with AM and PM.
        SystemLocale::setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        // A word of the user's dictionary, there before the editor starts.
        qputenv("XDG_CONFIG_HOME", m_page->path(u"config"_s).toLocal8Bit());
        QVERIFY(AddToUserDictionary(RichTextEditor::UserDictionaryFolder(), u"Feedsmithy"_s));
        QVERIFY(m_page->startOnContents());
    }
    void init() { QVERIFY(m_page->reset()); }
    void cleanupTestCase() { m_page.reset(); }
    void firstNewEntry();
    void typeAndSwitchEntries();
    void titleCommitOnLeavingTheBox_data();
    void titleCommitOnLeavingTheBox();
    void rootSelectedStoresNothing();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void deleteWithoutEntryNode();
    void unchangedDocumentGivesBackStyleBlock();
    void editedDocumentGivesBackStyleBlock();
    void pastedMarkupSurvivesSaveAndOpen_data();
    void pastedMarkupSurvivesSaveAndOpen();
    void detailsSurviveSaveAndOpen();
    void toolbarFollowsBoldSelection();
    void writingCommands_data();
    void writingCommands();
    void htmlViewRoundTrip();
    void linkDialog_data();
    void linkDialog();
    void pictureRoundTrip();
    void spellingSuggestions();
    void boldButtonMakesBold();
    void followsPalette_data();
    void followsPalette();
    void linkButtonAsksForTarget();
    void contextMenuStates();
    void contextMenuPastesPlainText();
    void pasteAsTextTurnsCarriageReturns_data();
    void pasteAsTextTurnsCarriageReturns();
    void previewShowsNewestEntries();
    void hostileProjectRunsNothing();
    void paneRequests_data();
    void paneRequests();
    void changesAskBeforeTheyGo_data();
    void changesAskBeforeTheyGo();
    void deleteKeepsTextLeftByArrowKeys();
    void onlyEditsMarkChanged_data();
    void onlyEditsMarkChanged();
    void pasteAsTextReturnsToTheEditor();
    void entryFrameOnlyWithEntries();
    void undoneEditLeavesNothing();
    void findingLeadsToItsField();
    void artworkIsCheckedWhenChosen_data();
    void artworkIsCheckedWhenChosen();
    void typedThenCommittedAtOnce_data();
    void typedThenCommittedAtOnce();

private:
    std::unique_ptr<ContentsProgram> m_page;
};

void tst_WindowEntries::firstNewEntry()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.document().tree.childKeys(u"root"_s).isEmpty());
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    QVERIFY(p.newEntry());

    const RSSentry &entry = p.document().entries.at(1);
    QVERIFY(entry.createdate >= before);
    QCOMPARE(p.document().tree.caption(u"root"_s), u"My feed"_s);
    QVERIFY(p.tree()->isExpanded(p.tree()->indexOfKey(u"root"_s)));
    QCOMPARE(p.document().tree.caption(u"key1"_s), entry.createdate.toString(u"M/d h:mm AP") + u" New entry"_s);
    QCOMPARE(p.entries()->selectedKey(), u"key1"_s);
    QCOMPARE(p.document().currentEntryKey, u"key1"_s);
    QVERIFY(p.box(u"txtContentTitle"_s)->text().isEmpty());
    QVERIFY(p.child<QLabel>(u"createinfo"_s)->text().startsWith(u"Created on "_s));
    // The empty entry's page: the style block inside its body.
    QCOMPARE(p.editor()->documentHtml(),
             u"<html><title></title><body>"_s + BuildStyleBlock(p.folder()) + u"</body></html>"_s);

    QVERIFY(p.newEntry());
    QVERIFY(p.newEntry());
    QCOMPARE(p.document().tree.childKeys(u"root"_s), (QStringList{u"key3"_s, u"key2"_s, u"key1"_s}));
    QCOMPARE(p.entries()->selectedKey(), u"key3"_s);
}

void tst_WindowEntries::typeAndSwitchEntries()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(p.newEntry());

    // key2 is loaded: a title, a link and a body.
    QLineEdit *title = p.box(u"txtContentTitle"_s);
    title->setFocus();
    QTest::keyClicks(title, u"Second"_s);
    QTest::keyClicks(p.box(u"txtContentLink"_s), u"https://example.org/2"_s);
    QVERIFY(p.focusEditor());
    QVERIFY(p.typeIntoEditor(u"secondbody "_s));

    // Switching to key1 commits key2 and shows key1 empty; the blank typed last is a blank.
    QVERIFY(p.clickNode(u"key1"_s));
    const RSSentry &second = p.document().entries.at(2);
    QCOMPARE(second.title, u"Second"_s);
    QCOMPARE(second.link, u"https://example.org/2"_s);
    QVERIFY(second.content.text().contains(u"secondbody <style"_s));
    QCOMPARE(p.document().currentEntryKey, u"key1"_s);
    QVERIFY(title->text().isEmpty());
    QVERIFY(!p.editor()->documentHtml().contains(u"secondbody"_s));

    // Text for key1 goes into key1 only.
    QVERIFY(p.focusEditor());
    QVERIFY(p.typeIntoEditor(u"firstbody"_s));
    QVERIFY(p.clickNode(u"key2"_s));
    QVERIFY(p.document().entries.at(1).content.text().contains(u"firstbody"_s));
    QVERIFY(!p.document().entries.at(1).content.text().contains(u"secondbody"_s));
    QVERIFY(!p.document().entries.at(2).content.text().contains(u"firstbody"_s));
    QCOMPARE(title->text(), u"Second"_s);
    QVERIFY(p.editor()->documentHtml().contains(u"secondbody"_s));
    QCOMPARE(p.document().tree.caption(u"key2"_s), second.createdate.toString(u"M/d h:mm AP") + u" Second"_s);
}

void tst_WindowEntries::titleCommitOnLeavingTheBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("captionChanges");
    QTest::newRow("a title renames the node") << u"Renamed"_s << true;
    QTest::newRow("an emptied title keeps the caption") << QString() << false;
}

void tst_WindowEntries::titleCommitOnLeavingTheBox()
{
    QFETCH(QString, typed);
    QFETCH(bool, captionChanges);
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    p.document().entries.at(1).title = u"Old"_s;
    QVERIFY(p.clickNode(u"key1"_s));
    const QString captionBefore = p.document().tree.caption(u"key1"_s);

    QLineEdit *title = p.box(u"txtContentTitle"_s);
    title->setFocus();
    title->clear();
    QTest::keyClicks(title, typed);
    p.box(u"txtContentLink"_s)->setFocus(); // leaving the title box commits
    QCOMPARE(p.document().entries.at(1).title, typed);
    const QString expected = captionChanges
            ? p.document().entries.at(1).createdate.toString(u"M/d h:mm AP") + u' ' + typed
            : captionBefore;
    QCOMPARE(p.document().tree.caption(u"key1"_s), expected);
}

void tst_WindowEntries::rootSelectedStoresNothing()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(p.focusEditor());
    QVERIFY(p.typeIntoEditor(u"kept"_s));
    QVERIFY(p.clickNode(u"root"_s));
    QCOMPARE(p.document().currentEntryKey, u"root"_s);
    QVERIFY(p.document().entries.at(1).content.text().contains(u"kept"_s));
    QVERIFY(p.editor()->documentHtml().isEmpty());

    // With the root selected there is nothing to type into.
    QVERIFY(!p.editor()->isEnabled() && !p.box(u"txtContentLink"_s)->isEnabled());
    QVERIFY(p.clickNode(u"key1"_s));
    QVERIFY(p.editor()->documentHtml().contains(u"kept"_s));
}

void tst_WindowEntries::deleteAsksFirst_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("filter"); // typed into the filter before Delete
    QTest::addColumn<QString>("shown"); // the entry shown, named by the question and deleted
    QTest::newRow("yes deletes key2 of three") << true << QString() << u"E2"_s;
    QTest::newRow("no changes nothing") << false << QString() << u"E2"_s;
    // The filter hides the entry shown: the entry found takes its place, and Delete acts on it.
    QTest::newRow("filtered: the entry shown goes") << true << u"E1"_s << u"E1"_s;
}

void tst_WindowEntries::deleteAsksFirst()
{
    QFETCH(bool, yes);
    QFETCH(QString, filter);
    QFETCH(QString, shown);
    ContentsProgram &p = *m_page;
    for (int i = 1; i <= 3; ++i) {
        QVERIFY(p.newEntry());
        p.box(u"txtContentTitle"_s)->setText(u"E"_s + QString::number(i));
    }
    QVERIFY(p.clickNode(u"key2"_s));
    const QString thirdCaption = p.document().entries.at(3).createdate.toString(u"M/d h:mm AP") + u" E3"_s;
    p.child<QLineEdit>(u"txtFilter"_s)->setText(filter);
    QCOMPARE(p.box(u"txtContentTitle"_s)->text(), shown);
    QCOMPARE(p.entries()->selectedKey(), p.document().currentEntryKey);
    p.messages.answer(yes);
    QTest::mouseClick(p.child<QPushButton>(u"cmddeleteentry"_s), Qt::LeftButton);
    p.child<QLineEdit>(u"txtFilter"_s)->clear();

    QCOMPARE(p.messages.shown.size(), 1);
    QCOMPARE(p.messages.shown.first().kind, ScriptedMessageBoxes::Kind::Question);
    QCOMPARE(p.messages.shown.first().title, u"Feedsmith"_s);
    QCOMPARE(p.messages.shown.first().text, u"Delete the entry \u201c%1\u201d?"_s.arg(shown));
    if (!filter.isEmpty()) {
        QCOMPARE(p.document().entryCount(), 2);
        QCOMPARE(p.document().entries.at(1).title, u"E2"_s);
    } else if (yes) {
        QCOMPARE(p.document().entryCount(), 2);
        QCOMPARE(p.document().tree.childKeys(u"root"_s), (QStringList{u"key2"_s, u"key1"_s}));
        QCOMPARE(p.document().tree.caption(u"key2"_s), thirdCaption);
        QCOMPARE(p.document().entries.at(2).title, u"E3"_s);
        // The node that stays selected now holds E3, and the editor shows it.
        QCOMPARE(p.document().currentEntryKey, u"key2"_s);
        QCOMPARE(p.box(u"txtContentTitle"_s)->text(), u"E3"_s);
    } else {
        QCOMPARE(p.document().entryCount(), 3);
        QCOMPARE(p.document().entries.at(2).title, u"E2"_s);
        QCOMPARE(p.document().currentEntryKey, u"key2"_s);
    }
}

void tst_WindowEntries::deleteWithoutEntryNode()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(p.clickNode(u"root"_s));
    QVERIFY(!p.child<QPushButton>(u"cmddeleteentry"_s)->isEnabled()); // offered for an entry only
    QTest::mouseClick(p.child<QPushButton>(u"cmddeleteentry"_s), Qt::LeftButton);
    QVERIFY(p.messages.shown.isEmpty());
    QCOMPARE(p.document().entryCount(), 1);

    // The only entry: the root stays without children.
    QVERIFY(p.clickNode(u"key1"_s));
    p.messages.answer(true);
    QTest::mouseClick(p.child<QPushButton>(u"cmddeleteentry"_s), Qt::LeftButton);
    QCOMPARE(p.document().entryCount(), 0);
    QVERIFY(p.document().tree.contains(u"root"_s));
    QCOMPARE(p.document().tree.childCount(u"root"_s), 0);
}

void tst_WindowEntries::unchangedDocumentGivesBackStyleBlock()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(loadStoredContent(p, u"<html><head></head><BODY><p>stored text</p></BODY></html>"_s));
    QVERIFY(p.focusEditor()); // commits and reloads, unchanged

    const QString block = BuildStyleBlock(p.folder());
    const QString html = p.editor()->documentHtml();
    QVERIFY(html.contains(block));
    QVERIFY(html.contains(u"<body>"_s));

    p.dialog.answer(p.path(u"feeds/unchanged.rsx"_s));
    p.window->fileCommands()->saveProject(true);
    const QString file = QString::fromLatin1(readBytes(p.path(u"feeds/unchanged.rsx"_s)));
    QVERIFY2(file.contains(u"<content>"_s + EscapeText(u"<p>stored text</p>"_s) + u"</content>"_s), qPrintable(file));
    QVERIFY2(!file.contains(u"style"_s, Qt::CaseInsensitive), qPrintable(file));
    QVERIFY(!file.contains(u"font-family"_s));
}

void tst_WindowEntries::editedDocumentGivesBackStyleBlock()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(p.focusEditor());
    QVERIFY(p.typeIntoEditor(u"typedwords"_s));
    const QString block = BuildStyleBlock(p.folder());
    const QString html = p.editor()->documentHtml();
    // The browser's own rewriting (type="text/css") must not reach the stored text.
    QVERIFY2(html.contains(block), qPrintable(html));
    QVERIFY(!html.contains(u"data-feedsmith"_s));
    QVERIFY2(html.contains(u"<body>"_s) && html.contains(u"</body>"_s), qPrintable(html));

    p.dialog.answer(p.path(u"feeds/edited.rsx"_s));
    p.window->fileCommands()->saveProject(true);
    const QString file = QString::fromLatin1(readBytes(p.path(u"feeds/edited.rsx"_s)));
    QVERIFY2(file.contains(u"typedwords"_s), qPrintable(file));
    QVERIFY2(!file.contains(u"style"_s, Qt::CaseInsensitive), qPrintable(file));

    // The same entry committed again after a reload (a second focus) still strips whole.
    p.box(u"txtContentTitle"_s)->setFocus();
    QVERIFY(p.focusEditor());
    QVERIFY(p.typeIntoEditor(u"morewords"_s));
    p.window->fileCommands()->saveProject(true);
    const QString again = QString::fromLatin1(readBytes(p.path(u"feeds/edited.rsx"_s)));
    QVERIFY(again.contains(u"morewords"_s));
    QVERIFY2(!again.contains(u"style"_s, Qt::CaseInsensitive), qPrintable(again));
}

void tst_WindowEntries::pastedMarkupSurvivesSaveAndOpen_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("expected"); // as the page writes it back: text, not elements

    QTest::newRow("brackets and an ampersand") << u"flour<water & salt>0"_s << u"flour&lt;water &amp; salt&gt;0"_s;
}

void tst_WindowEntries::pastedMarkupSurvivesSaveAndOpen()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, expected);
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(p.focusEditor());
    QGuiApplication::clipboard()->setText(clipboard);
    QTest::mouseClick(p.child<QPushButton>(u"pasteAsText"_s), Qt::LeftButton);
    QTRY_VERIFY2(p.editor()->documentHtml().contains(expected), qPrintable(p.editor()->documentHtml()));
    QCOMPARE(runInEditor(p.editor(), u"document.body.innerText"_s).toString(), clipboard); // shown as pasted

    const QString path = p.path(u"feeds/pasted.rsx"_s);
    p.dialog.answer(path);
    p.window->fileCommands()->saveProject(true);
    QVERIFY(p.document().entries.at(1).content.text().contains(expected));

    // Opened again, the entry loads with the markup, and commits it unchanged.
    p.dialog.answer(path);
    p.window->fileCommands()->openProject();
    QVERIFY(p.commandsDone());
    QCOMPARE(p.document().entryCount(), 1);
    p.window->selectPage(Page::Contents);
    QVERIFY(p.clickNode(u"key1"_s));
    QVERIFY2(p.editor()->documentHtml().contains(expected), qPrintable(p.editor()->documentHtml()));
    QVERIFY(p.focusEditor());
    p.dialog.answer(path);
    p.window->fileCommands()->saveProjectAs();
    p.window->fileCommands()->finishWrites();
    const QString file = QString::fromLatin1(readBytes(path));
    QVERIFY2(file.contains(u"<content>"_s + EscapeText(expected) + u"</content>"_s), qPrintable(file));
}

void tst_WindowEntries::detailsSurviveSaveAndOpen()
{
    ContentsProgram &p = *m_page;
    p.document().channel.podcast = u"1"_s; // the entry an episode
    QVERIFY(p.newEntry());
    p.document().ftp.feedurl = u"https://example.org/rss/feed.xml"_s;
    QTest::mouseClick(p.child<QToolButton>(u"cmdDetails"_s), Qt::LeftButton);
    const QMap<QString, QString> typed{{u"txtEntryauthor"_s, u"jane@example.org (Jane)"_s},
                                       {u"txtEntrycategory"_s, u" news ,Cologne,, "_s},
                                       {u"txtEntrycomments"_s, u"https://example.org/c"_s}};
    for (auto it = typed.cbegin(); it != typed.cend(); ++it)
        QTest::keyClicks(p.child<QLineEdit>(it.key()), it.value());
    // A local file as the enclosure goes into the media folder beside the saved project: its
    // length and type, its address beside the feed.
    QVERIFY(writeBytes(p.path(u"episode 1.mp3"_s), QByteArray(1234, 'a')));
    p.dialog.answer(p.path(u"episode 1.mp3"_s));
    QTest::mouseClick(p.child<QPushButton>(u"cmdChooseEnclosure"_s), Qt::LeftButton);
    QCOMPARE(p.messages.shown.size(), 1);
    QCOMPARE(p.messages.shown.first().text, p.window->text(u"filesneedsave"_s));
    p.messages.reset();
    // A folder of its own, whose media folder no other test sees.
    QVERIFY(QDir().mkpath(p.path(u"feeds/details"_s)));
    const QString path = p.path(u"feeds/details/details.rsx"_s);
    p.dialog.reset();
    p.dialog.answer(path);
    p.window->fileCommands()->saveProject(true);
    p.dialog.answer(p.path(u"episode 1.mp3"_s));
    QTest::mouseClick(p.child<QPushButton>(u"cmdChooseEnclosure"_s), Qt::LeftButton);
    QTRY_COMPARE(p.child<QLineEdit>(u"txtEntryenclosurelength"_s)->text(), u"1234"_s);
    QVERIFY(p.document().changed);
    QCOMPARE(readBytes(p.path(u"feeds/details/media/episode 1.mp3"_s)), QByteArray(1234, 'a'));
    // So do an episode's transcript, one more each time, and its artwork; a person's parts are
    // typed with "|", as are the channel's categories with their domains.
    for (const auto &[button, name] : {std::pair{u"cmdChoosetranscript"_s, u"episode 1.vtt"_s},
                                       std::pair{u"cmdChooseepisodeimage"_s, u"cover.jpg"_s}}) {
        QVERIFY(writeBytes(p.path(name), "x"));
        p.dialog.answer(p.path(name));
        QTest::mouseClick(p.child<QPushButton>(button), Qt::LeftButton);
        QTRY_VERIFY(QFile::exists(p.path(u"feeds/details/media/"_s + name)));
    }
    QTRY_COMPARE(p.child<QLineEdit>(u"txtEntrytranscript"_s)->text(), u"media/episode%201.vtt text/vtt"_s);
    QTRY_COMPARE(p.child<QLineEdit>(u"txtEntryepisodeimage"_s)->text(), u"media/cover.jpg"_s);
    QTest::keyClicks(p.child<QLineEdit>(u"txtEntryperson"_s), u"Jane Doe | host"_s);
    QTest::keyClicks(p.child<QLineEdit>(u"txtCategory"_s), u"Software, Sports | https://example.org/t"_s);
    p.window->fileCommands()->saveProject(true);
    for (const QByteArray &line :
         QList<QByteArray>{"\t\t<category>news</category>\r\n\t\t<category>Cologne</category>\r\n",
                           "\t\t<transcript>media/episode%201.vtt text/vtt</transcript>\r\n",
                           "\t\t<person>Jane Doe&#9;host</person>\r\n",
                           "\t<category>Sports&#9;https://example.org/t</category>\r\n",
                           // The show's lasting ID is made from its public address as it is saved.
                           "\t<podcastguid>" + PodcastGuid(p.document().ftp.feedurl).toLatin1()})
        QVERIFY2(readBytes(path).contains(line), line.constData());

    p.dialog.answer(path);
    p.window->fileCommands()->openProject();
    p.window->selectPage(Page::Contents);
    QVERIFY(p.clickNode(u"key1"_s));
    QCOMPARE(p.child<QLineEdit>(u"txtEntrycategory"_s)->text(), u"news, Cologne"_s);
    QCOMPARE(p.child<QLineEdit>(u"txtCategory"_s)->text(), u"Software, Sports | https://example.org/t"_s);
    QCOMPARE(p.child<QLineEdit>(u"txtEntryauthor"_s)->text(), typed.value(u"txtEntryauthor"_s));
    // The address is the file's place in the media folder; the feed names it by its public one.
    QCOMPARE(p.child<QLineEdit>(u"txtEntryenclosure"_s)->text(), u"media/episode 1.mp3"_s);
    const QByteArray rss = BuildRssFile(p.document(), QString(), QDateTime::currentDateTime());
    QVERIFY(rss.contains("<enclosure url=\"https://example.org/rss/media/episode%201.mp3\" length=\"1234\""));
    QVERIFY(rss.contains(
            "<podcast:transcript url=\"https://example.org/rss/media/episode%201.vtt\" type=\"text/vtt\""));
    QCOMPARE(p.child<QLineEdit>(u"txtEntryenclosurelength"_s)->text(), u"1234"_s);
    QCOMPARE(p.child<QLineEdit>(u"txtEntryenclosuretype"_s)->text(), u"audio/mpeg"_s);
    QVERIFY(p.child<QLineEdit>(u"txtEntryguid"_s)->text().startsWith(u"urn:uuid:"_s));
    QVERIFY(p.document().entries.at(1).enclosurefile.isEmpty());

    // An address typed without length and type: the server is asked (HEAD) beside the window.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    QByteArray request;
    connect(&server, &QTcpServer::newConnection, &server, [&server, &request] {
        QTcpSocket *socket = server.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, socket, [socket, &request] {
            request += socket->readAll();
            socket->write("HTTP/1.0 200 OK\r\nContent-Length: 4321\r\nContent-Type: Audio/Ogg; codecs=opus\r\n\r\n");
            socket->disconnectFromHost();
        });
    });
    auto *enclosure = p.child<QLineEdit>(u"txtEntryenclosure"_s);
    enclosure->setText(u"http://127.0.0.1:%1/talk.ogg"_s.arg(server.serverPort()));
    p.child<QLineEdit>(u"txtEntryenclosurelength"_s)->clear();
    p.child<QLineEdit>(u"txtEntryenclosuretype"_s)->clear();
    emit enclosure->editingFinished();
    QTRY_COMPARE(p.child<QLineEdit>(u"txtEntryenclosurelength"_s)->text(), u"4321"_s);
    QCOMPARE(p.child<QLineEdit>(u"txtEntryenclosuretype"_s)->text(), u"audio/ogg"_s);
    QVERIFY(request.startsWith("HEAD /talk.ogg "));
}

void tst_WindowEntries::toolbarFollowsBoldSelection()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(loadStoredContent(p, u"<html><body><p><b>strong</b> plain</p></body></html>"_s));
    QAction *fett = p.toolbarButton(u"Toolbar3"_s, u"fett"_s);
    QAction *link = p.toolbarButton(u"Toolbar3"_s, u"link"_s);
    // Nothing selected in the document: the editor reports bold as disabled.
    QTRY_VERIFY(!fett->isEnabled());
    QVERIFY(link->isEnabled());

    QVERIFY(p.focusEditor());
    selectInEditor(p.editor(), u"document.querySelector('b').firstChild"_s, 2, 2);
    QTRY_VERIFY(fett->isChecked());
    QVERIFY(fett->isEnabled());
    QCOMPARE(p.editor()->queryStatus(RichTextEditor::DECMD_BOLD), int(RichTextEditor::Latched));
    QVERIFY(!p.toolbarButton(u"Toolbar3"_s, u"kursiv"_s)->isChecked());

    selectInEditor(p.editor(), u"document.querySelector('p').lastChild"_s, 3, 3);
    QTRY_VERIFY(!fett->isChecked());
    QVERIFY(fett->isEnabled());
    QVERIFY(link->isEnabled() && !link->isChecked());
}

void tst_WindowEntries::writingCommands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("body"); // before: the word "word" selected
    QTest::addColumn<QString>("expected"); // in the editor's body after
    QTest::newRow("bulleted list") << u"bullets"_s << u"<p>word</p>"_s << u"<ul><li>word</li></ul>"_s;
    QTest::newRow("numbered list") << u"numbering"_s << u"<p>word</p>"_s << u"<ol><li>word</li></ol>"_s;
    QTest::newRow("heading") << u"heading2"_s << u"<p>word</p>"_s << u"<h2>word</h2>"_s;
    QTest::newRow("subheading") << u"heading3"_s << u"<p>word</p>"_s << u"<h3>word</h3>"_s;
    QTest::newRow("back to a paragraph") << u"paragraph"_s << u"<h2>word</h2>"_s << u"<p>word</p>"_s;
    QTest::newRow("quote") << u"quote"_s << u"<p>word</p>"_s << u"<blockquote>word</blockquote>"_s;
    QTest::newRow("code") << u"code"_s << u"<p>word</p>"_s << u"<pre>word</pre>"_s;
}

void tst_WindowEntries::writingCommands()
{
    QFETCH(QString, button);
    QFETCH(QString, body);
    QFETCH(QString, expected);
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(loadStoredContent(p, u"<html><body>"_s + body + u"</body></html>"_s));
    QVERIFY(p.focusEditor());
    selectInEditor(p.editor(), u"document.body.firstChild.firstChild"_s, 0, 4);
    QTRY_COMPARE(p.editor()->linkAtSelection().text, u"word"_s); // the page has the selection
    QAction *action = p.toolbarButton(u"Toolbar3"_s, button);
    QVERIFY(!action->toolTip().isEmpty());
    action->trigger();
    QTRY_VERIFY2(p.editor()->documentHtml().contains(expected), qPrintable(p.editor()->documentHtml()));
    // The button shows the state it made, and undo takes it back.
    if (button != "paragraph"_L1)
        QTRY_VERIFY(action->isChecked());
    p.toolbarButton(u"Toolbar3"_s, u"undo"_s)->trigger();
    QTRY_VERIFY2(p.editor()->documentHtml().contains(body), qPrintable(p.editor()->documentHtml()));
}

// The body's markup as text: edited there, it is the entry's body; the style block stays out of
// sight and in the document.
void tst_WindowEntries::htmlViewRoundTrip()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(p.focusEditor());
    QVERIFY(p.typeIntoEditor(u"typed"_s));
    QAction *view = p.toolbarButton(u"Toolbar3"_s, u"htmlview"_s);
    view->trigger();
    auto *markup = p.child<QPlainTextEdit>(u"txtHtmlView"_s);
    QVERIFY(markup->isVisible() && !p.editor()->isVisible());
    QCOMPARE(markup->toPlainText(), u"typed"_s);
    markup->setPlainText(u"<h2>Pasted [[on purpose]]</h2><p>a, b</p>"_s);
    view->trigger();
    QVERIFY(p.editor()->isVisible());
    p.entries()->commitCurrentEntry();
    const QString stored = p.document().entries.at(1).content.text();
    QVERIFY2(stored.contains(u"<h2>Pasted [[on purpose]]</h2><p>a, b</p>"_s), qPrintable(stored));
    QCOMPARE(stored.count(u"<style"_s), 1);

    // Shown and closed without a change, it changes nothing; a switch of entry closes it.
    view->trigger();
    QVERIFY(p.newEntry());
    QVERIFY(!markup->isVisible());
    QCOMPARE(p.document().entries.at(1).content.text(), stored);
}

void tst_WindowEntries::linkDialog_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("caret"); // in the first text of the body; -1: its whole first word
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("offered"); // the address the dialog starts with
    QTest::addColumn<QString>("answer"); // address|text|new window; "remove"
    QTest::addColumn<QString>("expected");
    QTest::newRow("an address typed at the caret, with its text, in a new window")
            << u"<p>go </p>"_s << 3 << QString() << QString() << u"https://e.org/|Example|1"_s
            << u"<a href=\"https://e.org/\" target=\"_blank\">Example</a>"_s;
    QTest::newRow("the clipboard's address offered")
            << u"<p>site</p>"_s << -1 << u"https://clip.example/"_s << u"https://clip.example/"_s
            << u"https://clip.example/||0"_s << u"<a href=\"https://clip.example/\">site</a>"_s;
    QTest::newRow("a link removed") << u"<p><a href=\"https://x.org/\">site</a></p>"_s << 2 << QString()
                                    << u"https://x.org/"_s << u"remove"_s << u"<p>site</p>"_s;
}

void tst_WindowEntries::linkDialog()
{
    QFETCH(QString, body);
    QFETCH(int, caret);
    QFETCH(QString, clipboard);
    QFETCH(QString, offered);
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(loadStoredContent(p, u"<html><body>"_s + body + u"</body></html>"_s));
    QGuiApplication::clipboard()->setText(clipboard);
    QVERIFY(p.focusEditor());
    const QString firstText = u"document.body.querySelector('p').firstChild"_s;
    const QString text = body.contains(u"<a"_s) ? firstText + u".firstChild"_s : firstText;
    selectInEditor(p.editor(), text, caret < 0 ? 0 : caret, caret < 0 ? 4 : caret);
    QTRY_COMPARE(p.editor()->linkAtSelection().exists, body.contains(u"<a"_s));
    std::optional<RichTextEditor::Link> shown;
    p.editor()->setLinkPrompt([&](QWidget *, const RichTextEditor::Link &initial) {
        shown = initial;
        RichTextEditor::Link link;
        const QStringList parts = answer.split(u'|');
        link.remove = answer == "remove"_L1;
        link.url = parts.value(0);
        link.text = parts.value(1);
        link.newWindow = parts.value(2) == "1"_L1;
        return std::optional(link);
    });
    p.toolbarButton(u"Toolbar3"_s, u"link"_s)->trigger();
    QVERIFY(shown.has_value());
    QCOMPARE(shown->url, offered);
    if (shown->exists) // the caret in a link: the dialog shows the link's text
        QCOMPARE(shown->text, u"site"_s);
    QTRY_VERIFY2(p.editor()->documentHtml().contains(expected), qPrintable(p.editor()->documentHtml()));

    // The dialog itself: a wide address box, and Remove only for a link that exists.
    const KeyedTexts texts;
    LinkDialog dialog(texts, *shown);
    QCOMPARE(dialog.findChild<QPushButton *>(u"cmdRemoveLink"_s) != nullptr, shown->exists);
    QVERIFY(dialog.findChild<QLineEdit *>(u"txtLinkAddress"_s)->minimumWidth() >= 300);
    QCOMPARE(dialog.link().url, offered.isEmpty() ? u"https://"_s : offered);
}

// Insert, save, reopen, generate: the picture lies in the media folder, the project names it
// relative to itself, and the feed by the public address.
void tst_WindowEntries::pictureRoundTrip()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    p.toolbarButton(u"Toolbar3"_s, u"picture"_s)->trigger(); // never saved: no folder for pictures
    QCOMPARE(p.messages.shown.size(), 1);
    const QString project = p.path(u"feeds/pictures.rsx"_s);
    p.dialog.answer(project);
    QVERIFY(p.window->fileCommands()->saveProject(true));
    QImage square(4, 4, QImage::Format_RGB32);
    square.fill(Qt::red);
    QVERIFY(square.save(p.path(u"square.png"_s)));
    p.dialog.answer(p.path(u"square.png"_s));
    p.messages.answerText(u"A red \"square\""_s);
    QVERIFY(p.focusEditor());
    p.toolbarButton(u"Toolbar3"_s, u"picture"_s)->trigger();
    const QStringList media = QDir(p.path(u"feeds/media"_s)).entryList(QDir::Files);
    QCOMPARE(media.size(), 1);
    const QString source = u"media/"_s + media.first();
    QTRY_VERIFY2(
            p.editor()->documentHtml().contains(u"<img src=\""_s + source + u"\" alt=\"A red &quot;square&quot;\">"_s),
            qPrintable(p.editor()->documentHtml()));
    // Shown from beside the project: the picture loads.
    QTRY_COMPARE(runInEditor(p.editor(), u"document.querySelector('img').naturalWidth"_s).toInt(), 4);

    // A picture on the web goes in by its address; anything else is refused.
    const int warnings = int(p.messages.shown.size());
    p.messages.answerText(u"ftp://example.org/p.png"_s);
    p.child<QAction>(u"pictureFromAddress"_s)->trigger();
    QCOMPARE(p.messages.shown.size(), warnings + 2); // the address asked for, then refused
    QCOMPARE(p.messages.shown.last().kind, ScriptedMessageBoxes::Kind::Warning);
    p.messages.answerText(u"https://cdn.example/p.png"_s);
    p.messages.answerText(u"From the web"_s);
    p.child<QAction>(u"pictureFromAddress"_s)->trigger();
    QTRY_VERIFY2(p.editor()->documentHtml().contains(u"<img src=\"https://cdn.example/p.png\" alt=\"From the web\">"_s),
                 qPrintable(p.editor()->documentHtml()));

    p.document().ftp.feedurl = u"https://example.org/news/feed.xml"_s;
    QVERIFY(p.window->fileCommands()->saveProject(true));
    QVERIFY(readBytes(project).contains(source.toLatin1()));
    p.window->fileCommands()->openProjectFile(project);
    QCOMPARE(p.document().ftp.feedurl, u"https://example.org/news/feed.xml"_s);
    const QByteArray rss = BuildRssFile(p.document(), BuildStyleBlock(p.window->startup().programFolder),
                                        QDateTime::currentDateTime());
    QVERIFY2(rss.contains("<img src=\"https://example.org/news/" + source.toLatin1() + '"'), rss.constData());
}

// A misspelled word gets the dictionary's suggestions in the context menu; one replaces it.
void tst_WindowEntries::spellingSuggestions()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(loadStoredContent(p, u"<html><body><p>Ths house Feedsmithy</p></body></html>"_s));
    QVERIFY(p.focusEditor());
    // Where the word stands, in the view's coordinates.
    const QVariantList box = runInEditor(p.editor(),
                                         u"(function () { var r = document.createRange();"
                                         " var t = document.querySelector('p').firstChild;"
                                         " r.setStart(t, 0); r.setEnd(t, 3); var b = r.getBoundingClientRect();"
                                         " return [b.left + b.width / 2, b.top + b.height / 2]; })()"_s)
                                     .toList();
    QCOMPARE(box.size(), 2);
    const QPoint at(box.at(0).toInt(), box.at(1).toInt());
    QWidget *view = p.editor()->focusProxy() ? p.editor()->focusProxy() : p.editor();
    QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                QTest::mousePress(view, Qt::RightButton, Qt::NoModifier, at);
                QTest::mouseRelease(view, Qt::RightButton, Qt::NoModifier, at);
                QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
                return p.editor()->misspelledWord() == "Ths"_L1;
            }(),
            10000);
    // The suggestions stand first, then the offer to take the word into the user's dictionary,
    // then the menu's own items.
    QMenu *menu = p.editor()->contextMenu();
    QVERIFY(menu && menu->actions().size() > 5);
    auto *add = menu->findChild<QAction *>(u"addToDictionary"_s);
    QVERIFY(add);
    add->trigger();
    QVERIFY(UserDictionaryWords(RichTextEditor::UserDictionaryFolder()).contains(u"Ths"_s));
    // The words are the user's in the configuration folder; what the engine keeps is not.
    QVERIFY(!p.editor()->page()->profile()->persistentStoragePath().startsWith(p.path(u"config"_s)));
    // A word of the user's dictionary is no misspelling.
    const QVariantList own = runInEditor(p.editor(),
                                         u"(function () { var r = document.createRange();"
                                         " var t = document.querySelector('p').firstChild;"
                                         " r.setStart(t, 11); r.setEnd(t, 20); var b = r.getBoundingClientRect();"
                                         " return [b.left + b.width / 2, b.top + b.height / 2]; })()"_s)
                                     .toList();
    const QPoint ownAt(own.at(0).toInt(), own.at(1).toInt());
    if (QMenu *open = p.editor()->contextMenu(); open && open->isVisible())
        open->close();
    QSignalSpy requests(p.editor(), &RichTextEditor::contextMenuRequested);
    const auto rightClick = [&](QPoint where) {
        const qsizetype before = requests.size();
        QTest::mousePress(view, Qt::RightButton, Qt::NoModifier, where);
        QTest::mouseRelease(view, Qt::RightButton, Qt::NoModifier, where);
        return QTest::qWaitFor([&] { return requests.size() > before; }, 5000);
    };
    QVERIFY(rightClick(ownAt));
    QCOMPARE(p.editor()->misspelledWord(), QString());
    if (QMenu *open = p.editor()->contextMenu(); open && open->isVisible())
        open->close();
    QVERIFY(rightClick(at));
    QCOMPARE(p.editor()->misspelledWord(), u"Ths"_s);
    menu = p.editor()->contextMenu();
    const QString first = menu->actions().first()->text();
    QVERIFY(!first.isEmpty() && first != u"Cut"_s);
    menu->actions().first()->trigger();
    QTRY_VERIFY2(p.editor()->documentHtml().contains(first + u" house"_s), qPrintable(p.editor()->documentHtml()));
}

void tst_WindowEntries::boldButtonMakesBold()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(loadStoredContent(p, u"<html><body><p>make me bold</p></body></html>"_s));
    QVERIFY(p.focusEditor());
    selectInEditor(p.editor(), u"document.querySelector('p').firstChild"_s, 0, 4);
    QAction *fett = p.toolbarButton(u"Toolbar3"_s, u"fett"_s);
    QTRY_VERIFY(fett->isEnabled());
    fett->trigger();
    QTRY_VERIFY2(p.editor()->documentHtml().contains(u"<b>make</b> me bold"_s), qPrintable(p.editor()->documentHtml()));
    QTRY_VERIFY(fett->isChecked());
    p.toolbarButton(u"Toolbar3"_s, u"kursiv"_s)->trigger();
    QTRY_VERIFY(p.editor()->documentHtml().contains(u"<i>make</i>"_s));
}

void tst_WindowEntries::linkButtonAsksForTarget()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(loadStoredContent(p, u"<html><body><p>site</p></body></html>"_s));
    QVERIFY(p.focusEditor());
    int asked = 0;
    p.editor()->setLinkPrompt([&asked](QWidget *, const RichTextEditor::Link &initial) {
        ++asked;
        RichTextEditor::Link link = initial;
        link.url = u"https://example.org/"_s;
        return std::optional(link);
    });
    selectInEditor(p.editor(), u"document.querySelector('p').firstChild"_s, 0, 4);
    p.toolbarButton(u"Toolbar3"_s, u"link"_s)->trigger();
    QCOMPARE(asked, 1);
    QTRY_VERIFY2(p.editor()->documentHtml().contains(u"<a href=\"https://example.org/\">site</a>"_s),
                 qPrintable(p.editor()->documentHtml()));
}

void tst_WindowEntries::contextMenuStates()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(loadStoredContent(p, u"<html><body><p>some words</p></body></html>"_s));
    QVERIFY(p.focusEditor());
    selectInEditor(p.editor(), u"document.querySelector('p').firstChild"_s, 2, 2);
    QTRY_COMPARE(p.editor()->queryStatus(RichTextEditor::DECMD_COPY), int(RichTextEditor::Disabled));

    auto openMenu = [&] {
        p.entries()->showContextMenu(p.editor()->mapToGlobal(QPoint(10, 10)));
        return p.editor()->contextMenu();
    };
    QMenu *menu = openMenu();
    QVERIFY(menu);
    const QList<QAction *> items = menu->actions();
    QStringList texts;
    for (const QAction *item : items)
        texts.append(item->text());
    QCOMPARE(texts,
             (QStringList{u"Undo"_s, QString(), u"Cut"_s, u"Copy"_s, u"Paste"_s, u"Paste as text"_s, QString(),
                          u"Select all"_s}));
    QVERIFY(!items.at(2)->isEnabled());
    QVERIFY(!items.at(3)->isEnabled());
    QVERIFY(items.at(5)->isEnabled());
    QVERIFY(items.at(7)->isEnabled());
    menu->close();

    // With words selected, cut and copy are offered.
    selectInEditor(p.editor(), u"document.querySelector('p').firstChild"_s, 0, 4);
    QTRY_VERIFY(p.editor()->queryStatus(RichTextEditor::DECMD_COPY) >= RichTextEditor::Enabled);
    menu = openMenu();
    QVERIFY(menu->actions().at(2)->isEnabled());
    QVERIFY(menu->actions().at(3)->isEnabled());
    // Select all through the menu.
    menu->actions().at(7)->trigger();
    QTRY_COMPARE(runInEditor(p.editor(), u"getSelection().toString()"_s).toString(), u"some words"_s);
}

void tst_WindowEntries::contextMenuPastesPlainText()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(p.focusEditor());
    auto *data = new QMimeData;
    data->setText(u"plain one\r\nplain two"_s);
    data->setHtml(u"<b>formatted</b>"_s);
    QGuiApplication::clipboard()->setMimeData(data);

    // A right click in the page opens the program's menu.
    QTest::mouseClick(p.editor()->focusProxy(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
    QTRY_VERIFY(p.editor()->contextMenu() && p.editor()->contextMenu()->isVisible());
    QCOMPARE(p.editor()->contextMenu()->actions().size(), 8);
    p.editor()->contextMenu()->actions().at(5)->trigger();
    QTRY_VERIFY2(p.editor()->documentHtml().contains(u"plain one<br>plain two"_s),
                 qPrintable(p.editor()->documentHtml()));
    QVERIFY(!p.editor()->documentHtml().contains(u"formatted"_s));
}

void tst_WindowEntries::pasteAsTextTurnsCarriageReturns_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("markup");
    QTest::newRow("CR LF between two lines") << u"first\r\nsecond"_s << u"first<br>second"_s;
    QTest::newRow("a lone CR") << u"a\rb"_s << u"a<br>b"_s;
    QTest::newRow("a lone LF, as the Linux clipboard has it") << u"c\nd"_s << u"c<br>d"_s;
    QTest::newRow("markup is escaped") << u"<b>x</b> & y"_s << u"&lt;b&gt;x&lt;/b&gt; &amp; y"_s;
    QTest::newRow("brackets, an ampersand") << u"flour<water & salt>0"_s << u"flour&lt;water &amp; salt&gt;0"_s;
    QTest::newRow("blanks HTML folds away") << u" a  b\tc \nd"_s << u"&nbsp;a&nbsp; b&nbsp; &nbsp; c&nbsp;<br>d"_s;
}

void tst_WindowEntries::pasteAsTextTurnsCarriageReturns()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, markup);
    QCOMPARE(EntryEditor::pasteAsTextMarkup(clipboard), markup);
}

void tst_WindowEntries::previewShowsNewestEntries()
{
    ContentsProgram &p = *m_page;
    for (int i = 1; i <= 3; ++i) {
        QVERIFY(p.newEntry());
        p.box(u"txtContentTitle"_s)->setText(u"Entry"_s + QString::number(i));
    }
    p.box(u"txtNumber"_s)->setText(u"2"_s);
    // Typed into key3 and not committed yet: the preview commits it first.
    QVERIFY(p.focusEditor());
    QVERIFY(p.typeIntoEditor(u"freshtext"_s));

    QSignalSpy loaded(p.child<QWebEngineView>(u"WebBrowser1"_s), &QWebEngineView::loadFinished);
    p.window->selectPage(Page::Preview);
    const QString page = QString::fromLatin1(readBytes(p.window->previewPage()->previewPath()));
    QVERIFY(page.contains(u"Entry3"_s));
    QVERIFY(page.contains(u"Entry2"_s));
    QVERIFY(!page.contains(u"Entry1"_s));
    QVERIFY(page.indexOf(u"Entry3"_s) < page.indexOf(u"Entry2"_s));
    QVERIFY(page.contains(u"freshtext"_s));
    QVERIFY(loaded.wait(15000));
    QCOMPARE(p.child<QWebEngineView>(u"WebBrowser1"_s)->url(),
             QUrl::fromLocalFile(p.window->previewPage()->previewPath()));

    // Every entry into the page builds it again.
    p.window->selectPage(Page::Contents);
    QVERIFY(p.clickNode(u"key2"_s));
    p.box(u"txtContentTitle"_s)->setText(u"Renamed"_s);
    p.window->selectPage(Page::Preview);
    const QString rebuilt = QString::fromLatin1(readBytes(p.window->previewPage()->previewPath()));
    QVERIFY(rebuilt.contains(u"Renamed"_s));
    QVERIFY(!rebuilt.contains(u"Entry2"_s));
    QVERIFY(loaded.wait(15000));

    // A page without entries commits nothing, and the number reads back as typed.
    p.window->selectPage(Page::Contents);
    p.box(u"txtNumber"_s)->setText(u"-1"_s);
    p.box(u"txtContentTitle"_s)->setText(u"Uncommitted"_s);
    p.window->selectPage(Page::Preview);
    QCOMPARE(p.window->previewPage()->previewPath(), p.path(u"empty.html"_s));
    QCOMPARE(p.document().entries.at(2).title, u"Renamed"_s);
    QCOMPARE(p.box(u"txtNumber"_s)->text(), u"-1"_s);
}

// Records the first line of every HTTP request that reaches it.
class RequestListener : public QTcpServer
{
public:
    QStringList requests;

    RequestListener()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    requests += QString::fromLatin1(socket->readLine()).trimmed();
                    socket->write("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
                    socket->disconnectFromHost();
                });
            }
        });
    }
};

void tst_WindowEntries::hostileProjectRunsNothing()
{
    RequestListener listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    const QString origin = u"http://127.0.0.1:%1/"_s.arg(listener.serverPort());
    const QString leak = u"document.title='owned';fetch('%1leak')"_s.arg(origin);

    // Every way a body, a title or a link could run script or reach the listener; only the
    // channel image may load, as a feed reader would show it.
    FeedDocument hostile;
    hostile.channel.title = u"Feed {ENTRIES}"_s;
    hostile.channel.imageurl = origin + u"image.png"_s;
    hostile.channel.imagetitle = u"logo\" onerror=\""_s + leak;
    hostile.channel.imagelink = u"javascript:"_s + leak;
    const QStringList bodies = {
            u"<script>"_s + leak + u"</script>"_s,
            u"<img src=x onerror=\""_s + leak + u"\">"_s,
            u"<svg onload=\""_s + leak + u"\"></svg><a href=\"javascript:"_s + leak + u"\">link</a>"_s,
            u"<iframe srcdoc=\"<script>parent."_s + leak + u"</script>\"></iframe>"_s,
            u"<meta http-equiv=\"refresh\" content=\"0;url=%1refresh\">"_s.arg(origin),
            u"<script src=\"%1script.js\"></script><link rel=\"prefetch\" href=\"%1prefetch\">"_s.arg(origin),
            u"<link rel=\"icon\" href=\"%1icon.png\"><a ping=\"%1ping\" href=\"#\">ping</a>"_s.arg(origin),
    };
    for (const QString &body : bodies) {
        hostile.entries.append(RSSentry{u"<img src=y onerror=\""_s + leak + u"\">{DESCRIPTION}"_s,
                                        u"x\" onmouseover=\""_s + leak, body, QDateTime::currentDateTime()});
    }

    ContentsProgram &p = *m_page;
    const QString path = p.path(u"feeds/hostile.rsx"_s);
    QString error;
    QVERIFY2(WriteProjectFile(hostile, path, p.folder(), &error), qPrintable(error));
    p.dialog.answer(path);
    p.window->fileCommands()->openProject();
    QCOMPARE(p.document().entryCount(), int(bodies.size()));

    auto *browser = p.child<HtmlPane>(u"WebBrowser1"_s);
    QSignalSpy loaded(browser, &QWebEngineView::loadFinished);
    p.window->selectPage(Page::Preview);
    QVERIFY(loaded.wait(15000));
    // The page has loaded its images when the channel image has been asked for.
    QTRY_COMPARE_WITH_TIMEOUT(listener.requests, QStringList{u"GET /image.png HTTP/1.1"_s}, 10000);
    const QString page = QString::fromLatin1(readBytes(p.window->previewPage()->previewPath()));
    QVERIFY(page.contains(u"Feed {ENTRIES}"_s));
    QVERIFY(page.contains(u"href=\"x&quot; onmouseover=&quot;document.title='owned'"_s));

    p.window->selectPage(Page::Contents);
    for (int key = 1; key <= bodies.size(); ++key)
        QVERIFY(p.clickNode(u"key"_s + QString::number(key)));
    QVERIFY(p.focusEditor());
    QTest::qWait(300);
    QCOMPARE(listener.requests, QStringList{u"GET /image.png HTTP/1.1"_s});
    QVERIFY(browser->title() != u"owned"_s);
    QVERIFY(p.editor()->title() != u"owned"_s);
    // The bodies are kept as typed.
    QCOMPARE(p.document().entries.at(2).content.text().contains(u"onerror"_s), true);
}

void tst_WindowEntries::paneRequests_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("allowed");
    const int image = QWebEngineUrlRequestInfo::ResourceTypeImage;
    const int frame = QWebEngineUrlRequestInfo::ResourceTypeSubFrame;
    QTest::newRow("image from the web") << u"https://example.org/a.png"_s << image << true;
    QTest::newRow("image as data") << u"data:image/png;base64,AAAA"_s << image << true;
    QTest::newRow("image beside the page") << u"file:///opt/feeds/logo.png"_s << image << true;
    QTest::newRow("image in a folder below the page") << u"file:///opt/feeds/img/logo.png"_s << image << true;
    QTest::newRow("file in another folder") << u"file:///etc/passwd"_s << frame << false;
    QTest::newRow("file climbing out of the folder") << u"file:///opt/feeds/../secret/key"_s << image << false;
    QTest::newRow("folder sharing the name's start") << u"file:///opt/feeds-private/a.png"_s << image << false;
    QTest::newRow("file on another host") << u"file://server/share/a.png"_s << image << false;
    QTest::newRow("ftp image") << u"ftp://example.org/a.png"_s << image << false;
    QTest::newRow("script") << u"https://example.org/a.js"_s << int(QWebEngineUrlRequestInfo::ResourceTypeScript)
                            << false;
    QTest::newRow("fetch") << u"https://example.org/api"_s << int(QWebEngineUrlRequestInfo::ResourceTypeXhr) << false;
    QTest::newRow("web socket") << u"ws://example.org/"_s << int(QWebEngineUrlRequestInfo::ResourceTypeWebSocket)
                                << false;
    QTest::newRow("link ping") << u"https://example.org/p"_s << int(QWebEngineUrlRequestInfo::ResourceTypePing)
                               << false;
}

void tst_WindowEntries::paneRequests()
{
    QFETCH(QString, url);
    QFETCH(int, type);
    QTEST(HtmlPane::allowsRequest(QUrl(url), type, u"/opt/feeds"_s), "allowed");
}

void tst_WindowEntries::followsPalette_data()
{
    QTest::addColumn<QPalette>("palette");
    QPalette dark(QColor(0x35, 0x35, 0x3a), QColor(0x2a, 0x2a, 0x2e)); // as KDE and qt6ct give it
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x22));
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText})
        dark.setColor(role, QColor(0xee, 0xee, 0xee));
    QTest::newRow("dark palette") << dark;
    QTest::newRow("light palette") << QStyleFactory::create(u"Fusion"_s)->standardPalette();
}

void tst_WindowEntries::followsPalette()
{
    QFETCH(QPalette, palette);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(palette);
    // The editor's page and a help pane take the palette's colours; their documents stay as they were.
    const QString colours = u"var s = getComputedStyle(document.body); s.backgroundColor + s.color"_s;
    const auto rgb = [&palette](QPalette::ColorRole role) {
        const QColor c = palette.color(role);
        return u"rgb(%1, %2, %3)"_s.arg(c.red()).arg(c.green()).arg(c.blue());
    };
    QVERIFY(m_page->newEntry());
    QVERIFY(m_page->focusEditor());
    QVERIFY(m_page->typeIntoEditor(u"In the dark"_s));
    QVERIFY(waitUntil([&] { return runInEditor(m_page->editor(), colours) == rgb(QPalette::Base) + rgb(QPalette::Text); }));
    QVERIFY(!m_page->editor()->documentHtml().contains(u"aria-label"_s));
    QVERIFY(m_page->editor()->documentHtml().contains(BuildStyleBlock(m_page->folder())));
    m_page->window->selectPage(Page::Settings);
    m_page->box(u"txtLink"_s)->setFocus();
    auto *help = m_page->child<HtmlPane>(u"HelpBrowser"_s);
    QVERIFY(waitUntil([&] { return runInEditor(help, colours) == rgb(QPalette::Base) + rgb(QPalette::Text); }));
    QCOMPARE(help->documentHtml(),
             BuildHelpPage(m_page->folder(), m_page->window->startup().language.helpTable.value(u"link"_s)));
    // The drawn pictures in the palette's text colour.
    const QImage bold = Icons::drawn(Icons::Picture::Bold).pixmap(24, 24).toImage();
    QColor ink(Qt::transparent);
    for (int x = 0; x < 24; ++x)
        ink = bold.pixelColor(x, 12).alpha() > ink.alpha() ? bold.pixelColor(x, 12) : ink;
    QCOMPARE(ink.rgb(), palette.color(QPalette::WindowText).rgb());
    QApplication::setPalette(before);
}

QTEST_MAIN(tst_WindowEntries)
void tst_WindowEntries::changesAskBeforeTheyGo_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveFails");
    for (const char *command : {"new", "open", "close"}) {
        using A = MessageBoxes::SaveAnswer;
        QTest::addRow("%s saves", command) << QString::fromLatin1(command) << int(A::Save) << false;
        QTest::addRow("%s discards", command) << QString::fromLatin1(command) << int(A::Discard) << false;
        QTest::addRow("%s cancelled", command) << QString::fromLatin1(command) << int(A::Cancel) << false;
        QTest::addRow("%s stops when the save fails", command) << QString::fromLatin1(command) << int(A::Save) << true;
    }
}

void tst_WindowEntries::changesAskBeforeTheyGo()
{
    QFETCH(QString, command);
    QFETCH(int, answer);
    QFETCH(bool, saveFails);
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QTest::keyClicks(p.box(u"txtContentTitle"_s), u"Kept"_s);
    QCOMPARE(p.window->windowTitle(), u"Untitled* - Feedsmith"_s);
    const bool save = MessageBoxes::SaveAnswer(answer) == MessageBoxes::SaveAnswer::Save;
    const bool goesOn = MessageBoxes::SaveAnswer(answer) == MessageBoxes::SaveAnswer::Discard || (save && !saveFails);
    const QString target = p.path(saveFails ? u"missing/kept.rsx"_s : u"feeds/%1%2.rsx"_s.arg(command).arg(answer));
    p.messages.answerSave(MessageBoxes::SaveAnswer(answer));
    p.dialog.answer(save ? target : resourceDir() + u"/feeds/example.rsx"_s);
    p.dialog.answer(resourceDir() + u"/feeds/example.rsx"_s);
    QCloseEvent close; // what the close button and Exit send, without hiding the shared window
    if (command == "new"_L1)
        QTest::keySequence(p.window.get(), QKeySequence::New);
    else if (command == "open"_L1)
        p.menuItem(u"open"_s)->trigger();
    else
        QApplication::sendEvent(p.window.get(), &close);

    QCOMPARE(p.messages.shown.size(), saveFails ? 2 : 1); // a failed save says so
    QCOMPARE(p.messages.shown.first().text, u"Save changes to Untitled?"_s);
    QCOMPARE(readBytes(target).contains("<title>Kept</title>"), save && !saveFails);
    if (command == "close"_L1)
        QCOMPARE(close.isAccepted(), goesOn);
    else
        QCOMPARE(p.document().entryCount(), !goesOn ? 1 : command == "open"_L1 ? 4 : 0);
    if (save && !saveFails && command == "close"_L1)
        QCOMPARE(p.window->windowTitle(), u"close0.rsx - Feedsmith"_s);
}

void tst_WindowEntries::deleteKeepsTextLeftByArrowKeys()
{
    ContentsProgram &p = *m_page;
    for (int i = 0; i < 3; ++i)
        QVERIFY(p.newEntry());
    QVERIFY(p.clickNode(u"key1"_s));
    for (const QString &box : {u"txtContentTitle"_s, u"txtContentLink"_s}) {
        p.box(box)->setFocus();
        QTest::keyClicks(p.box(box), u"typed"_s);
    }
    p.tree()->setFocus();
    QTest::keyClick(p.tree(), Qt::Key_Up);
    QTest::keyClick(p.tree(), Qt::Key_Home); // the first entry, then the root above it
    QTest::keyClick(p.tree(), Qt::Key_Up); // the root: nothing to edit, but a new entry can be made
    QVERIFY(!p.box(u"txtContentTitle"_s)->isEnabled() && p.child<QPushButton>(u"cmdnewentry"_s)->isEnabled());
    QTest::keyClick(p.tree(), Qt::Key_End);
    QCOMPARE(p.box(u"txtContentTitle"_s)->text(), u"typed"_s);
    QTest::keyClick(p.tree(), Qt::Key_Up);
    QTest::keyClick(p.tree(), Qt::Key_Up);
    p.messages.answer(true);
    QTest::mouseClick(p.child<QPushButton>(u"cmddeleteentry"_s), Qt::LeftButton); // key3
    QCOMPARE(p.document().entryCount(), 2);
    QCOMPARE(p.document().entries.at(1).title + p.document().entries.at(1).link, u"typedtyped"_s);
    QTest::keyClicks(p.box(u"txtContentTitle"_s), u"after"_s); // into key2, selected and so loaded
    p.entries()->commitCurrentEntry();
    QCOMPARE(p.document().entries.at(2).title, u"after"_s);
}

void tst_WindowEntries::pasteAsTextReturnsToTheEditor()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(p.newEntry());
    QCOMPARE(p.child<QPushButton>(u"pasteAsText"_s)->focusPolicy(), Qt::NoFocus);
    // Pasted at once after another entry was chosen, before its text is in the page.
    QTest::mouseClick(p.tree()->viewport(), Qt::LeftButton, Qt::NoModifier, p.nodeCenter(u"key1"_s));
    p.box(u"txtContentTitle"_s)->setFocus();
    QGuiApplication::clipboard()->setText(u"one\ntwo"_s);
    QTest::mouseClick(p.child<QPushButton>(u"pasteAsText"_s), Qt::LeftButton);
    QVERIFY(p.editor()->editorHasFocus());
    QVERIFY(waitUntil([&] { return p.editor()->documentHtml().contains(u"one<br>two"_s); }));
    p.entries()->commitCurrentEntry();
    QVERIFY(p.document().entries.at(1).content.text().contains(u"one<br>two"_s));
    QVERIFY(!p.document().entries.at(2).content.text().contains(u"one<br>two"_s));
}

void tst_WindowEntries::entryFrameOnlyWithEntries()
{
    ContentsProgram &p = *m_page;
    QVERIFY(!p.child<QWidget>(u"freEntry"_s)->isEnabled());
    QVERIFY(p.newEntry());
    QVERIFY(p.box(u"txtContentTitle"_s)->isEnabled());
    p.messages.answer(true);
    QTest::mouseClick(p.child<QPushButton>(u"cmddeleteentry"_s), Qt::LeftButton);
    QVERIFY(!p.box(u"txtContentTitle"_s)->isEnabled());
}

#include "tst_window_entries.moc"

// A finding of the feed check, the podcast rules' too, leads to its field with the focus there:
// an entry's Details row, or a podcast field of the channel.
void tst_WindowEntries::findingLeadsToItsField()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    p.document().channel.podcast = u"1"_s;
    p.window->fileCommands()->showDocumentFields();
    const QList<FeedFinding> findings = CheckFeed(p.document(), QString(), QDateTime::currentDateTime(), {});
    for (const auto &[field, box] :
         {std::pair{u"enclosure"_s, u"txtEntryenclosure"_s}, std::pair{u"podcastimage"_s, u"txtPodcastImage"_s}}) {
        const auto finding = std::find_if(findings.begin(), findings.end(),
                                          [&field](const FeedFinding &f) { return f.field == field; });
        QVERIFY2(finding != findings.end(), qPrintable(field));
        p.window->showFinding(*finding);
        QTRY_COMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), box);
    }
    p.document().channel.podcast.clear();
}

// Artwork chosen on the settings page is taken, and what podcast directories would refuse in it
// is said: pictures made here.
void tst_WindowEntries::artworkIsCheckedWhenChosen_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("format"); // a QImage::Format; 0 for a GIF of one pixel, or no picture
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("problems"); // a part of each sentence, in order
    const int rgb = QImage::Format_RGB32;
    QTest::newRow("square PNG of 1400 pixels") << QSize(1400, 1400) << rgb << u"a.png"_s << QStringList();
    QTest::newRow("not square") << QSize(1400, 1600) << rgb << u"a.png"_s << QStringList{u"1400 × 1600 pixels, not"_s};
    QTest::newRow("too small") << QSize(600, 600) << rgb << u"a.jpg"_s << QStringList{u"600 × 600 pixels; podcast"_s};
    QTest::newRow("grayscale") << QSize(1400, 1400) << int(QImage::Format_Grayscale8) << u"a.jpg"_s
                               << QStringList{u"shades of gray"_s};
    QTest::newRow("GIF") << QSize(1, 1) << 0 << u"a.gif"_s << QStringList{u"It is a GIF picture"_s, u"1 × 1"_s};
    QTest::newRow("no picture") << QSize() << 0 << u"a.png"_s << QStringList{u"cannot be read as a picture"_s};
}

void tst_WindowEntries::artworkIsCheckedWhenChosen()
{
    QFETCH(QSize, size);
    QFETCH(int, format);
    QFETCH(QString, file);
    QFETCH(QStringList, problems);
    ContentsProgram &p = *m_page;
    QVERIFY(QDir().mkpath(p.path(u"feeds/artwork"_s)));
    p.dialog.answer(p.path(u"feeds/artwork/a.rsx"_s));
    p.window->fileCommands()->saveProject(true);
    QImage image(size, QImage::Format(std::max(format, 1)));
    image.fill(Qt::white);
    // Qt writes no GIF: one of a single pixel is made by hand.
    const QByteArray gif =
            QByteArray::fromHex("47494638396101000100800000ffffff0000002c00000000010001000002024401003b");
    QVERIFY(format ? image.save(p.path(file)) : writeBytes(p.path(file), size.isValid() ? gif : "no picture"));
    p.dialog.answer(p.path(file));
    p.child<QPushButton>(u"podcastimageChoose"_s)->click();
    QVERIFY(p.document().channel.podcastimage.startsWith(u"media/"_s));
    // The message: a sentence, a blank line, one line for each problem.
    const QStringList said =
            p.messages.shown.isEmpty() ? QStringList() : p.messages.shown.first().text.split(u'\n').mid(2);
    const auto holds = [](const QString &text, const QString &part) { return text.contains(part); };
    QVERIFY2(said.size() == problems.size() && std::equal(said.begin(), said.end(), problems.begin(), holds),
             qPrintable(said.join(u'\n')));
}

// An edit committed (for a recovery copy, say) and then undone leaves the entry as it was loaded.
void tst_WindowEntries::undoneEditLeavesNothing()
{
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(loadStoredContent(p, u"<html><body><p>stored</p></body></html>"_s));
    const QString before = p.document().entries.at(1).content.text();
    QVERIFY(p.focusEditor());
    QVERIFY(p.typeIntoEditor(u"typed"_s));
    p.entries()->commitCurrentEntry();
    QVERIFY(p.document().entries.at(1).content.text().contains(u"typed"_s));
    p.editor()->execNamed(u"undo"_s);
    QTRY_VERIFY(!p.editor()->documentHtml().contains(u"typed"_s));
    p.entries()->commitCurrentEntry();
    QCOMPARE(p.document().entries.at(1).content.text(), before);
}

void tst_WindowEntries::typedThenCommittedAtOnce_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("save") << u"save"_s;
    QTest::newRow("generate the RSS file") << u"generate"_s;
    QTest::newRow("switch to another entry") << u"switch"_s;
    QTest::newRow("preview") << u"preview"_s;
    QTest::newRow("close the window, saving") << u"close"_s;
}

void tst_WindowEntries::typedThenCommittedAtOnce()
{
    QFETCH(QString, command);
    ContentsProgram &p = *m_page;
    QVERIFY(p.newEntry());
    QVERIFY(p.newEntry());
    const int pageLoads = p.editor()->pageLoads();
    QVERIFY(p.clickNode(u"key1"_s));
    // Taking the focus keeps the entry in the editor as it is.
    const int generation = p.editor()->generation();
    QVERIFY(p.focusEditor());
    QCOMPARE(p.editor()->generation(), generation);

    // The command comes right after the last key, before the page has reported anything: it
    // goes on once the page has answered, and the window does not wait meanwhile.
    QTest::keyClicks(p.editor()->focusProxy(), u"last keys"_s);
    QVERIFY(!p.entries()->isEditorCurrent());
    const QString path = p.path(u"feeds/atonce.rsx"_s);
    if (command == "save"_L1) {
        p.dialog.answer(path);
        p.window->fileCommands()->save();
        QVERIFY(p.commandsDone());
        p.window->fileCommands()->finishWrites();
        QVERIFY(readBytes(path).contains("last keys"));
    } else if (command == "generate"_L1) {
        p.dialog.answer(p.path(u"feeds/atonce.xml"_s));
        p.window->fileCommands()->generateRss();
        QVERIFY(p.commandsDone());
        p.window->fileCommands()->finishWrites();
        QVERIFY(readBytes(p.path(u"feeds/atonce.xml"_s)).contains("last keys"));
    } else if (command == "switch"_L1) {
        QVERIFY(p.clickNode(u"key2"_s));
    } else if (command == "preview"_L1) {
        p.window->selectPage(Page::Preview);
        QVERIFY(p.commandsDone());
    } else {
        p.messages.answerSave(MessageBoxes::SaveAnswer::Save);
        p.dialog.answer(path);
        QVERIFY(!p.window->close()); // closes once the page has answered
        QTRY_VERIFY(!p.window->isVisible());
        QVERIFY(readBytes(path).contains("last keys"));
        p.window->show();
    }
    QVERIFY(p.document().entries.at(1).content.text().contains(u"last keys"_s));
    // Entries come and go in the page loaded once.
    QCOMPARE(p.editor()->pageLoads(), pageLoads);
}

void tst_WindowEntries::onlyEditsMarkChanged_data()
{
    QTest::addColumn<QString>("action");
    for (const char *action : {"click another entry and back", "focus the editor and leave", "cancel the link prompt",
                               "commit the untouched title box", "type"})
        QTest::newRow(action) << QString::fromLatin1(action);
}

void tst_WindowEntries::onlyEditsMarkChanged()
{
    QFETCH(QString, action);
    ContentsProgram &p = *m_page;
    const QString stored = u"<html><head></head><BODY><p>stored</p></BODY></html>"_s;
    QVERIFY(p.newEntry() && p.newEntry() && loadStoredContent(p, stored));
    p.document().changed = false;
    p.editor()->setLinkPrompt(
            [](QWidget *, const RichTextEditor::Link &) { return std::optional<RichTextEditor::Link>(); });
    if (action.startsWith(u"click"))
        QVERIFY(p.clickNode(u"key2"_s) && p.clickNode(u"key1"_s));
    else if (action.startsWith(u"cancel"))
        p.toolbarButton(u"Toolbar3"_s, u"link"_s)->trigger();
    else if (!action.startsWith(u"commit"))
        QVERIFY(p.focusEditor() && (action != "type"_L1 || p.typeIntoEditor(u"typed"_s)));
    p.box(u"txtContentTitle"_s)->setFocus();
    p.box(u"txtContentLink"_s)->setFocus(); // leaving the title box commits
    QCloseEvent close; // closing commits, and asks only after an edit
    QApplication::sendEvent(p.window.get(), &close);
    QCOMPARE(p.messages.shown.size(), int(action == "type"_L1));
    QCOMPARE(p.document().entries.at(1).content.text() == stored, action != "type"_L1);
}

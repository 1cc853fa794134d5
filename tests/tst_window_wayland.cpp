// Feedsmith on Wayland, run by tests/run-in-session under a headless weston: the window, a
// dialog and the editor's web page work natively, and a project is opened, edited, saved and the
// window closed.
#include "entrysupport.h"

#include "window/shell/aboutdialog.h"

using namespace Feedsmith;
using namespace FeedsmithTest;
using namespace Qt::StringLiterals;

class tst_WindowWayland : public QObject
{
    Q_OBJECT

private slots:
    void openEditSaveClose();
};

void tst_WindowWayland::openEditSaveClose()
{
    QCOMPARE(QGuiApplication::platformName(), u"wayland"_s);
    ContentsProgram p;
    QVERIFY(p.startOnContents());
    const QString project = p.path(u"news.rsx"_s);
    QVERIFY(QFile::copy(resourceDir() + u"/feeds/example.rsx"_s, project));
    p.window->fileCommands()->openProjectFile(project);
    QVERIFY(p.clickNode(u"key1"_s));
    // A compositor without a seat (no keyboard, no clipboard) activates no window and takes no
    // key: the edits are inserted, as a paste inserts them.
    p.box(u"txtContentTitle"_s)->insert(u" on Wayland"_s);
    p.editor()->pasteHtml(u"<p>Written on Wayland</p>"_s);
    QVERIFY(waitUntil([&] { return p.editor()->documentHtml().contains(u"Written on Wayland"_s); }));

    auto *about = new AboutDialog(p.window->startup().language.textTable, p.window.get());
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    about->close();

    QVERIFY(p.window->fileCommands()->saveProject(true));
    QVERIFY(readBytes(project).contains("on Wayland"));
    QVERIFY(readBytes(project).contains("Written on Wayland"));
    // The window closes once the editor's page has answered for the paste.
    p.window->close();
    QVERIFY(waitUntil([&] { return !p.window->isVisible(); }));
}

QTEST_MAIN(tst_WindowWayland)
#include "tst_window_wayland.moc"

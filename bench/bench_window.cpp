// Window figures on the offscreen platform: start-up, opening a 32767-entry project, deleting
// key1 and dropping key1 onto key32767 in it, and the peak resident memory. --accented opens the
// accented corpus instead of the one with ASCII bodies.
#include "projectgenerator.h"

#include "core/entries/entryfilter.h"
#include "core/system/clock.h"
#include "core/text/textfiles.h"
#include "scripteddialogs.h"
#include "window/editing/entrydragdrop.h"
#include "window/editing/entryeditor.h"
#include "window/pages/contentspage.h"
#include "window/shell/backgroundwriter.h"
#include "window/shell/filecommands.h"
#include "window/shell/mainwindow.h"
#include "window/shell/windowstartup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QSplitter>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace Feedsmith;
using namespace Qt::StringLiterals;

namespace {

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void settle()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

QPoint centreOf(EntryTreeView *view, const QString &key)
{
    const QModelIndex index = view->indexOfKey(key);
    view->scrollTo(index);
    settle();
    return view->visualRect(index).center();
}

// The longest the event loop stood still while `command` ran and the background writes it
// started went on: the largest gap between two ticks of a 5 ms timer.
double longestStallMs(FileCommands *commands, const std::function<void()> &command)
{
    QElapsedTimer sinceTick;
    double longest = 0;
    QTimer ticks;
    ticks.setInterval(5);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longest = std::max(longest, msSince(sinceTick));
        sinceTick.restart();
    });
    ticks.start();
    sinceTick.start();
    command();
    longest = std::max(longest, msSince(sinceTick));
    sinceTick.restart();
    while (commands->writer()->isBusy())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    longest = std::max(longest, msSince(sinceTick));
    return longest;
}

// The README's picture: the example project on the contents page, its newest entry in the editor.
int screenshot(const QString &file)
{
    const QString bin = QCoreApplication::applicationDirPath();
    ScriptedFileDialog fileDialog;
    ScriptedMessageBoxes messageBoxes;
    std::unique_ptr<MainWindow> window = Main(bin, u"en_US"_s, fileDialog, messageBoxes);
    window->resize(900, 640);
    window->fileCommands()->openProjectFile(bin + u"/feeds/example.rsx"_s);
    window->selectPage(Page::Contents);
    window->contentsPage()->splitter()->setSizes({280, 620});
    EntryEditor *editor = window->contentsPage()->entryEditor();
    editor->selectNode(EntryCollection::keyFor(window->document().entryCount()));
    editor->commitAndLoadSelectedEntry();
    // The web view draws its page a moment after it has it.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!window->grab().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    std::printf("wrote %s\n", qPrintable(file));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // As both programs do at start.
    Clock::pinLocalTimeZone();
    QApplication app(argc, argv);
    for (const QString &arg : QCoreApplication::arguments()) {
        if (arg.startsWith(u"--screenshot="_s))
            return screenshot(arg.mid(13));
    }
    const int entries = 32767;

    QTemporaryDir dir;
    const QString folder = dir.path();
    const QString bin = QCoreApplication::applicationDirPath();
    for (const QString &name : {u"language-en.xml"_s, u"entry.html"_s, u"preview.html"_s, u"empty.html"_s})
        QFile::copy(bin + u'/' + name, folder + u'/' + name);
    FeedsmithBench::writeStyleSheet(folder + u"/styles.css"_s);
    const QString project = folder + u"/bench.rsx"_s;
    const bool accented = QCoreApplication::arguments().contains(u"--accented"_s);
    if (accented)
        FeedsmithBench::writeAccentedProject(project, entries);
    else
        FeedsmithBench::writeProject(project, entries);

    ScriptedFileDialog fileDialog;
    ScriptedMessageBoxes messageBoxes;

    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<MainWindow> window = Main(folder, u"en_US"_s, fileDialog, messageBoxes);
    settle();
    const double startupMs = msSince(timer);

    fileDialog.answer(project);
    timer.restart();
    window->fileCommands()->openProject();
    settle();
    const double openMs = msSince(timer);
    const int rows = window->document().tree.childCount(EntryTreeModel::RootKey);

    EntryEditor *editor = window->contentsPage()->entryEditor();
    auto *view = window->findChild<EntryTreeView *>(u"TreeView"_s);
    window->selectPage(Page::Contents);
    settle();

    editor->selectNode(u"key1"_s);
    messageBoxes.answer(true);
    timer.restart();
    editor->deleteEntry();
    settle();
    const double deleteMs = msSince(timer);

    // Drop key1 onto the top entry, as a user's drag would.
    EntryDragDrop *dragDrop = editor->dragDrop();
    const QString top = EntryCollection::keyFor(window->document().entryCount());
    dragDrop->onMousePress(centreOf(view, u"key1"_s));
    dragDrop->onDragMove(centreOf(view, top));
    const std::unique_ptr<QMimeData> dragged(dragDrop->mimeDataFor(u"key1"_s));
    timer.restart();
    dragDrop->onDrop(dragged.get());
    settle();
    const double dropMs = msSince(timer);

    // The filter: the first text folds every entry's texts, later ones only search them. Ctrl+F
    // starts the folding, a typist's half second before the first letter.
    QLineEdit *filter = window->contentsPage()->filterEdit();
    timer.restart();
    window->contentsPage()->filterModel()->prepare();
    const double prepareMs = msSince(timer);
    QThread::msleep(500);
    timer.restart();
    filter->setText(u"k"_s);
    settle();
    const double firstFilterMs = msSince(timer);
    timer.restart();
    filter->setText(u"k\u00f6ln"_s);
    settle();
    const double filterMs = msSince(timer);
    const int shown = view->model()->rowCount(view->indexOfKey(EntryTreeModel::RootKey));
    filter->clear();
    settle();

    // Save and Generate: the writing runs off the GUI thread.
    FileCommands *commands = window->fileCommands();
    timer.restart();
    const double saveStallMs = longestStallMs(commands, [&] { commands->saveProject(); });
    const double saveMs = msSince(timer);
    fileDialog.answer(folder + u"/bench.xml"_s);
    timer.restart();
    const double generateStallMs = longestStallMs(commands, [&] { commands->generateRss(); });
    const double generateMs = msSince(timer);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    std::printf("Window figures (offscreen platform), project of %d %s entries:\n", entries,
                accented ? "accented" : "ASCII");
    std::printf("  start-up until the window is shown   %8.1f ms\n", startupMs);
    std::printf("  open until the tree is filled        %8.1f ms (%d entry rows)\n", openMs, rows);
    std::printf("  delete key1 (renumber the rest)      %8.1f ms\n", deleteMs);
    std::printf("  drop key1 onto %-9s             %8.1f ms\n", qPrintable(top), dropMs);
    std::printf("  filter, Ctrl+F (starts the folding)   %8.1f ms\n", prepareMs);
    std::printf("  filter, first text 0.5 s later       %8.1f ms\n", firstFilterMs);
    std::printf("  filter, next text                    %8.1f ms (%d entries shown)\n", filterMs, shown);
    std::printf("  save, written in the background      %8.1f ms (longest stall %.1f ms)\n", saveMs, saveStallMs);
    std::printf("  generate, written in the background  %8.1f ms (longest stall %.1f ms)\n", generateMs,
                generateStallMs);
    std::printf("  peak resident memory                 %8.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}

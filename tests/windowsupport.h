// Helpers for the window tests: a program folder of its own, scripted dialogs, the window.
#pragma once

#include "testsupport.h"

#include "scripteddialogs.h"
#include "window/editing/entryeditor.h"
#include "window/pages/contentspage.h"
#include "window/pages/previewpage.h"
#include "window/pages/publishpage.h"
#include "window/shell/filecommands.h"
#include "window/shell/mainwindow.h"
#include "window/shell/windowstartup.h"

#include <QAction>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <memory>

namespace FeedsmithTest {

// Runs the event loop until the condition holds or the time is up. The web engine serves its
// pages through the event loop, so this spins it without the pauses of QTest::qWaitFor, which
// stretch a page load from milliseconds to seconds.
template<typename Condition>
bool waitUntil(Condition condition, int timeoutMs = 15000)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}

// A started program: its own folder with the shipped files, dialogs that answer from a script,
// and the main window as start-up leaves it.
struct Program
{
    QTemporaryDir dir;
    Feedsmith::ScriptedFileDialog dialog;
    Feedsmith::ScriptedMessageBoxes messages;
    std::unique_ptr<Feedsmith::MainWindow> window;

    Program()
    {
        if (!copyProgramFiles(dir.path()))
            qFatal("cannot prepare the program folder");
    }

    QString folder() const { return dir.path(); }
    QString path(const QString &name) const { return dir.filePath(name); }

    // Runs the start-up and waits until the window is the active one.
    bool start(const QString &localeName = QStringLiteral("en_US.UTF-8"))
    {
        // Recovery copies and the window's remembered state go to this program's own folder.
        qputenv("XDG_DATA_HOME", path(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", path(QStringLiteral("config")).toLocal8Bit());
        window = Feedsmith::Main(folder(), localeName, dialog, messages);
        // Which a window manager would do, where there is one.
        if (QTest::qWaitForWindowExposed(window.get()))
            window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    template<typename T = QWidget>
    T *child(const QString &name) const
    {
        return window->findChild<T *>(name);
    }
    QLineEdit *box(const QString &name) const { return child<QLineEdit>(name); }
    QAction *menuItem(const QString &name) const { return child<QAction>(name); }

    // A toolbar button by its key, as the user clicks it.
    QAction *toolbarButton(const QString &toolbar, const QString &key) const
    {
        for (QAction *action : child<QToolBar>(toolbar)->actions()) {
            if (action->data().toString() == key)
                return action;
        }
        return nullptr;
    }
    void clickToolbarButton(const QString &key) const
    {
        auto *toolbar = child<QToolBar>(QStringLiteral("Toolbar1"));
        auto *button =
                qobject_cast<QToolButton *>(toolbar->widgetForAction(toolbarButton(QStringLiteral("Toolbar1"), key)));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // The caption of a control: menu item, frame, label, command button or tab page.
    QString caption(const QString &name) const
    {
        if (auto *action = child<QAction>(name))
            return QString(action->text()).remove(QLatin1Char('&')); // as read, without its access key
        if (auto *frame = child<QGroupBox>(name))
            return frame->title();
        if (auto *label = child<QLabel>(name))
            return label->text();
        if (auto *button = child<QPushButton>(name))
            return button->text();
        if (auto *page = child<QWidget>(name))
            return page->property("caption").toString();
        return QStringLiteral("<no control %1>").arg(name);
    }
};

// Types text into a widget key by key; letters outside ASCII arrive as a keyboard layout sends them.
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// A shipped language file with some lines changed: each pair replaces the first line holding
// the first text by the second text (an empty second text removes the line).
inline bool editLanguageFile(const QString &path, const QList<std::pair<QByteArray, QByteArray>> &edits)
{
    QByteArray bytes = readBytes(path);
    for (const auto &[from, to] : edits) {
        const qsizetype at = bytes.indexOf(from);
        if (at < 0)
            return false;
        const qsizetype lineStart = bytes.lastIndexOf('\n', at) + 1;
        const qsizetype lineEnd = bytes.indexOf("\r\n", at) + 2;
        bytes.replace(lineStart, lineEnd - lineStart, to.isEmpty() ? QByteArray() : to + "\r\n");
    }
    return writeBytes(path, bytes);
}

} // namespace FeedsmithTest

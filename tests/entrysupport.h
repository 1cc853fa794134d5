// Helpers for the window tests of the contents page: the editor's page, the tree, entries.
#pragma once

#include "windowsupport.h"

#include "window/editing/entrydragdrop.h"
#include "window/editing/entryeditor.h"
#include "window/editing/richtexteditor.h"
#include "window/editing/tabswitching.h"

#include <QApplication>
#include <QTreeView>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace FeedsmithTest {

// Runs a script in the page's own script world (an editor's, a pane's) and gives its result.
inline QVariant runInEditor(QWebEngineView *editor, const QString &script)
{
    QVariant result;
    bool done = false;
    editor->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    if (!waitUntil([&] { return done; }, 10000))
        qWarning("the editor page did not answer");
    return result;
}

// A started program on its contents page.
struct ContentsProgram : Program
{
    Feedsmith::RichTextEditor *editor() const
    {
        return child<Feedsmith::RichTextEditor>(QStringLiteral("DHTMLEditor"));
    }
    Feedsmith::EntryEditor *entries() const { return window->contentsPage()->entryEditor(); }
    Feedsmith::EntryTreeView *tree() const { return child<Feedsmith::EntryTreeView>(QStringLiteral("TreeView")); }
    Feedsmith::FeedDocument &document() const { return window->document(); }

    bool startOnContents(const QString &localeName = QStringLiteral("en_US.UTF-8"))
    {
        if (!start(localeName))
            return false;
        window->selectPage(Feedsmith::Page::Contents);
        return true;
    }

    // Back to a new document on the contents page, with no answers prepared and nothing shown,
    // so that one window serves a whole test program.
    bool reset()
    {
        while (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        window->activateWindow();
        dialog.reset();
        messages.reset();
        messages.answerSave(Feedsmith::MessageBoxes::SaveAnswer::Discard); // what a test left is dropped
        window->fileCommands()->newDocument();
        if (!commandsDone())
            return false;
        messages.reset();
        window->selectPage(Feedsmith::Page::Contents);
        return QTest::qWaitForWindowActive(window.get());
    }

    // A command given has gone on: the editor's page has answered what it was asked before the
    // command could run.
    bool commandsDone() const
    {
        return waitUntil([this] { return entries()->isEditorCurrent(); });
    }

    // The editor has loaded its document and its page reports.
    bool editorReady() const
    {
        return waitUntil([this] { return editor()->isReady(); });
    }

    bool newEntry()
    {
        QTest::mouseClick(child<QPushButton>(QStringLiteral("cmdnewentry")), Qt::LeftButton);
        return commandsDone() && editorReady();
    }

    QPoint nodeCenter(const QString &key) const
    {
        tree()->scrollTo(tree()->indexOfKey(key));
        return tree()->visualRect(tree()->indexOfKey(key)).center();
    }

    // Clicks a node: press and release, the way the user selects and loads an entry.
    bool clickNode(const QString &key)
    {
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, nodeCenter(key));
        return commandsDone() && editorReady();
    }

    // Puts the focus into the editor and waits for the page (which has the selected entry then).
    bool focusEditor()
    {
        editor()->setFocus(Qt::MouseFocusReason);
        return editor()->editorHasFocus() && editorReady();
    }

    // Types into the editor and waits until its document holds the text.
    bool typeIntoEditor(const QString &text)
    {
        QTest::keyClicks(editor()->focusProxy(), text);
        return waitUntil([&] { return editor()->documentHtml().contains(text); }, 10000);
    }
};

} // namespace FeedsmithTest

// Helpers for the window tests of the contents page: the editor's page, the tree, entries.
#pragma once

#include "windowsupport.h"

#include "editing/entrydragdrop.h"
#include "editing/entryeditor.h"
#include "editing/richtexteditor.h"
#include "editing/tabswitching.h"

#include <QTreeView>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace FeedsmithTest {

// Runs a script in the editor page's own script world and gives its result.
inline QVariant runInEditor(Feedsmith::RichTextEditor *editor, const QString &script)
{
    QVariant result;
    bool done = false;
    editor->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qWarning("the editor page did not answer");
    return result;
}

// A started program on its contents page.
struct ContentsPage : Program
{
    Feedsmith::RichTextEditor *editor() const { return child<Feedsmith::RichTextEditor>(QStringLiteral("DHTMLEditor")); }
    Feedsmith::EntryEditor *entries() const { return window->entryEditor(); }
    QTreeView *tree() const { return child<QTreeView>(QStringLiteral("TreeView")); }
    Feedsmith::FeedDocument &document() const { return window->document(); }

    bool startOnContents(const QString &localeName = QStringLiteral("en_US.UTF-8"))
    {
        if (!start(localeName))
            return false;
        window->selectPage(Feedsmith::Page::Contents);
        return true;
    }

    // The editor has loaded its document and its page reports.
    bool editorReady() const { return QTest::qWaitFor([this] { return editor()->isReady(); }, 15000); }

    bool newEntry()
    {
        QTest::mouseClick(child<QPushButton>(QStringLiteral("cmdnewentry")), Qt::LeftButton);
        return editorReady();
    }

    QPoint nodeCenter(const QString &key) const
    {
        tree()->scrollTo(document().tree.indexOfKey(key));
        return tree()->visualRect(document().tree.indexOfKey(key)).center();
    }

    // Clicks a node: press and release, the way the user selects and loads an entry.
    bool clickNode(const QString &key)
    {
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, nodeCenter(key));
        return editorReady();
    }

    // Puts the focus into the editor (which reloads the entry) and waits for the page.
    bool focusEditor()
    {
        editor()->setFocus(Qt::MouseFocusReason);
        return editor()->editorHasFocus() && editorReady();
    }

    // Types into the editor and waits until its document holds the text.
    bool typeIntoEditor(const QString &text)
    {
        QTest::keyClicks(editor()->focusProxy(), text);
        return QTest::qWaitFor([&] { return editor()->documentHtml().contains(text); }, 10000);
    }
};

} // namespace FeedsmithTest

// The contents page's behaviour: the entry tree's commands, the entry editor and its toolbar.
#pragma once

#include "core/entries/entryoperations.h"

#include <QObject>
#include <QString>

class QAbstractButton;
class QAction;
class QLabel;
class QLineEdit;
class QToolBar;
class QTreeView;
class QWidget;

namespace Feedsmith {

class EntryDragDrop;
class KeyboardFilter;
class MainWindow;
class MessageBoxes;
class RichTextEditor;

// Binds the contents page of the main window to the document: new and delete entry, selecting
// and loading entries, the commits, the formatting toolbar with its states, the editor's context
// menu and paste as text, drag and drop in the tree, and (unless start-up said otherwise) the
// Ctrl+V filter. The page's controls are found by their names.
class EntryEditor : public QObject
{
    Q_OBJECT

public:
    // The context menu's items, by index.
    static const QStringList ContextMenuTexts;

    EntryEditor(MainWindow &window, MessageBoxes &messageBoxes);
    ~EntryEditor() override;

    // cmdnewentry: an entry on top of the tree, selected and loaded.
    void NewEntry();
    // cmddeleteentry: asks, then removes the selected entry.
    void DeleteEntry();
    // Commits the editor into the current entry, then loads the selected node's entry.
    void LoadSelectedEntry();
    // Writes the editor's fields into the current entry, if it names one.
    void CommitCurrentEntry();
    // txtContentTitle lost the focus: commit, and the node caption from the title.
    void TitleCommitted();

    // The editor's title, link and document.
    EditorFields fields() const;
    // The key of the selected node; empty when no node is selected.
    QString selectedKey() const;
    void selectNode(const QString &key);

    // Toolbar3 and the editor's events.
    void Toolbar3ButtonClick(const QString &key);
    void DisplayChanged();
    void ShowContextMenu(const QPoint &globalPos);
    void ContextMenuAction(int index);
    // pasteAsText: the clipboard's plain text, each carriage return made "<br>", as markup.
    void PasteAsText();
    // The text paste as text inserts for a clipboard text.
    static QString pasteAsTextMarkup(const QString &clipboardText);

    RichTextEditor *editor() const { return m_editor; }
    EntryDragDrop *dragDrop() const { return m_dragDrop; }
    KeyboardFilter *keyboardFilter() const { return m_keyboardFilter; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString text(const QString &key) const;
    QAction *toolbarButton(const QString &key) const;
    void setBoxText(QLineEdit *box, const QString &text);
    void documentGone();

    MainWindow &m_window;
    MessageBoxes &m_messageBoxes;
    QTreeView *m_tree = nullptr;
    QWidget *m_freEntry = nullptr;
    QWidget *m_freContents = nullptr;
    QLineEdit *m_txtContentTitle = nullptr;
    QLineEdit *m_txtContentLink = nullptr;
    QLabel *m_createinfo = nullptr;
    QToolBar *m_toolbar3 = nullptr;
    QAbstractButton *m_pasteAsText = nullptr;
    RichTextEditor *m_editor = nullptr;
    EntryDragDrop *m_dragDrop = nullptr;
    KeyboardFilter *m_keyboardFilter = nullptr;
    bool m_documentGone = false;
};

} // namespace Feedsmith

// The contents page's behaviour: the entry tree's commands, the entry editor and its toolbar.
#pragma once

#include "core/entries/entryoperations.h"
#include "window/editing/entrydetails.h"
#include "window/editing/entrytreeview.h"
#include "window/pages/pagecontext.h"

#include <functional>

#include <QObject>
#include <QString>

#include <array>
#include <map>
#include <utility>
#include <vector>

class QAbstractButton;
class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QScrollArea;
class QTimer;
class QToolBar;
class QToolButton;
class QWidget;

namespace Feedsmith {

class EntryDetails;
class EntryDragDrop;
class KeyboardFilter;
class RichTextEditor;

// Binds the contents page to the document: new and delete entry, selecting and loading entries,
// the commits, the formatting toolbar with its states, the editor's context menu and paste as
// text, drag and drop in the tree, and (unless start-up said otherwise) the Ctrl+V filter.
class EntryEditor : public QObject
{
    Q_OBJECT

public:
    // The contents page's widgets the editor works with; the page owns them.
    struct Widgets
    {
        QWidget *page = nullptr;
        EntryTreeView *tree = nullptr;
        QAbstractButton *newEntryButton = nullptr;
        QAbstractButton *deleteEntryButton = nullptr;
        QWidget *entryFrame = nullptr;
        QLineEdit *titleEdit = nullptr;
        QLineEdit *linkEdit = nullptr;
        QToolButton *detailsButton = nullptr;
        QScrollArea *detailsArea = nullptr;
        QToolBar *formatToolBar = nullptr;
        QAbstractButton *pasteAsTextButton = nullptr;
        RichTextEditor *editor = nullptr;
        QLabel *createInfo = nullptr;
        QTimer *dragTimer = nullptr;
        QPlainTextEdit *htmlView = nullptr;
    };

    // The editor's context menu items in the interface language, by index (an empty text is a
    // separator).
    QStringList contextMenuTexts() const;

    EntryEditor(const Widgets &widgets, const PageContext &context, QObject *parent = nullptr);
    ~EntryEditor() override;

    // An entry on top of the tree, selected and loaded.
    void newEntry();
    // Asks, naming it, then removes the entry shown (loading the selected one first) and loads
    // the entry selected then.
    void deleteEntry();
    // A copy of the entry shown right below it, with an ID of its own, selected and loaded.
    void duplicateEntry();
    // Once the editor holds its last keystroke (whenEditorCurrent), commits it into the current
    // entry, then loads the selected node's entry unless that is the one in the editor already;
    // `then` follows.
    void commitAndLoadSelectedEntry(std::function<void()> then = {});
    // Writes the editor's fields into the current entry, if it names one: the editor's copy as
    // the page reported it last. Commands that read or replace the document call it from
    // whenEditorCurrent, so that the copy holds every keystroke.
    void commitCurrentEntry();
    // Calls `then` once the editor's copy of its document holds every keystroke and edit the page
    // was given (the markup view's text taken into it first): at once when it does, else when the
    // page has answered. The window does not wait meanwhile.
    void whenEditorCurrent(std::function<void()> then);
    // Whether whenEditorCurrent would go on at once.
    bool isEditorCurrent() const;
    // The title box lost the focus: commit, and the node caption from the title.
    void commitTitle();
    // The tree's move commands: the selected entry to the top, to the bottom, or a step up or
    // down; each can be undone (undoMove, Ctrl+Z in the tree), as can a drop. The entry in the
    // editor stays there, whichever entries move.
    enum class Move { ToTop, ToBottom, Up, Down };
    void moveSelected(Move move);
    void undoMove();
    // The tree's commands (its context menu): new, duplicate, delete, the moves in the order of
    // Move, then the undo of a move.
    QList<QAction *> treeActions() const;
    // Applies the tree model's expanded flags to the tree view.
    void refreshTree();
    // The entry frame takes input only while an entry is loaded.
    void updateEntryFrame();
    // Empties the entry's boxes, the editor and the creation date, bound to no entry.
    void clearEntry();
    // Shows the details of the entry in the editor anew from the document, after a command
    // changed them there (commit first).
    void reloadCurrentEntry();
    // Spelling is checked in the channel's language when the program has a dictionary for it,
    // else in the interface language.
    void setChannelLanguage(const QString &language);

    // The entry as the panel holds it: title, link, details and the editor's document.
    EditorFields fields() const;
    // The key of the selected node; empty when no node is selected.
    QString selectedKey() const;
    void selectNode(const QString &key);
    // The filter changed what the list shows: the list selects the entry the editor shows, or the
    // editor shows the first entry found.
    void onFilterChanged();

    // Insert picture: a picture file chosen, copied into the project's media folder and shown
    // from there, with the alternative text asked for.
    void insertPicture();
    // The same for a picture on the web: its http(s) address as it stands.
    void insertPictureFromAddress();
    // Choose file of the enclosure: a file chosen, put into the project's media folder (beside
    // the window, with Cancel, when it has to be copied), then given to `take`.
    void chooseEnclosureFile(const EntryDetails::Take &take);
    // The HTML view: the body's markup as text in the editor's place (on), written back into
    // the editor when it is switched off, before any commit.
    void setHtmlView(bool on);
    bool isHtmlView() const;
    // The formatting toolbar and the editor's events.
    void onFormatToolbarAction(const QString &key);
    // The formatting toolbar shows the editor's states at the caret.
    void updateFormatToolbar();
    void showContextMenu(const QPoint &globalPos);
    void onContextMenuAction(int index);
    // Inserts the clipboard's plain text as text (pasteAsTextMarkup); the editor gets the
    // keyboard focus.
    void pasteAsText();
    // The markup that shows a clipboard text as it is: "&", "<" and ">" escaped, each line break
    // (CR LF, LF or CR) one "<br>", and blanks HTML would fold away (runs of them, a tab taken as
    // four, blanks at either end of a line) kept as alternately no-break and ordinary spaces.
    static QString pasteAsTextMarkup(const QString &clipboardText);

    RichTextEditor *editor() const { return m_editor; }
    EntryTreeView *tree() const { return m_tree; }
    // Puts the focus into a field of the entry shown: "title", "link", "content" (the editor), or
    // a Details field by its key (the Details opened first); the title for any other.
    void focusField(const QString &field);
    // Finds text in the body shown, forwards or backwards from the selection, every match
    // highlighted; the editor takes the keyboard. Says so when the body holds none.
    void findInBody(const QString &text, bool backward);
    EntryDragDrop *dragDrop() const { return m_dragDrop; }
    EntryDetails *details() const { return m_details; }
    KeyboardFilter *keyboardFilter() const { return m_keyboardFilter; }

    // The editor's formatting states: the state names and the command codes queried for them.
    const std::array<QString, 12> &formatButtonKeys() const { return FormatButtonKeys; }
    const std::array<int, 11> &formatCommandCodes() const { return FormatCommandCodes; }

signals:
    // Another entry (or none) was loaded into the editor, the one before committed.
    void entrySwitched();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString text(const QString &key) const;
    QAction *toolbarButton(const QString &key) const;
    void setBoxText(QLineEdit *box, const QString &text);
    void documentGone();
    // commitAndLoadSelectedEntry with the editor's copy as it is.
    void commitAndLoad();
    // The commands of the same names, once the editor is current.
    void newEntryNow();
    void deleteEntryNow();
    void duplicateEntryNow();
    void moveSelectedNow(Move move);
    void undoMoveNow();
    // The markup view, shown from the editor's copy; the formatting buttons for either view.
    void showHtmlView();
    void showFormatButtons(bool htmlView);
    // Shows the entry SelectEntry gave for the node `key` (or nothing), bound to it.
    void showEntry(const QString &key, const LoadedEntry &entry);
    // Typing, pasting or formatting changed the entry under edit.
    void markEntryChanged();
    // Moves the entry under `from` to `to` (MoveEntryTo), selects it there and keeps the editor
    // bound to the entry it shows.
    bool moveEntry(int from, int to);
    void buildTreeActions();
    // Delete, the moves and their undo are enabled only when they can act.
    void updateCommands();

    static const std::array<QString, 12> FormatButtonKeys;
    static const std::map<QString, std::pair<QString, QString>> WritingCommands;
    static const std::array<int, 11> FormatCommandCodes;

    PageContext m_context;
    EntryTreeView *m_tree = nullptr;
    QWidget *m_entryFrame = nullptr;
    QLineEdit *m_titleEdit = nullptr;
    QLineEdit *m_linkEdit = nullptr;
    QLabel *m_createInfo = nullptr;
    QToolBar *m_formatToolBar = nullptr;
    RichTextEditor *m_editor = nullptr;
    QPlainTextEdit *m_htmlView = nullptr;
    // The editor's document around the body's markup while the HTML view shows it.
    QString m_htmlBefore;
    QString m_htmlAfter;
    QString m_htmlShown;
    EntryDragDrop *m_dragDrop = nullptr;
    EntryDetails *m_details = nullptr;
    KeyboardFilter *m_keyboardFilter = nullptr;
    QList<QAction *> m_treeActions;
    QList<QAction *> m_moveActions;
    QAction *m_duplicateAction = nullptr;
    QAction *m_deleteAction = nullptr;
    QAction *m_undoMoveAction = nullptr;
    QAbstractButton *m_deleteButton = nullptr;
    std::vector<std::pair<int, int>> m_moves; // the moves made since the entries last changed otherwise
    QString m_loadedKey; // the entry whose text the editor shows; empty for none
    QString m_loadedDocument; // the editor document made from that entry's content
    EntryContent m_loadedContent; // that content
    bool m_documentGone = false;
};

} // namespace Feedsmith

// The Edit menu: undo, the clipboard, select all and find, for whichever control has the focus.
#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QWidget;

namespace Feedsmith {

class Captions;
class EntryEditor;
class KeyedTexts;
class MessageBoxes;

// Builds the Edit menu's commands and carries each out on the control that has the keyboard: a
// text box, the body's HTML view, the rich text editor (through its page), or the entry list
// (where Undo takes back a move). Find is the entry filter; Find in body searches the editor's
// page and highlights what it finds.
class EditCommands : public QObject
{
    Q_OBJECT

public:
    enum class Command { Undo, Redo, Cut, Copy, Paste, PasteAsText, SelectAll };

    EditCommands(QWidget *window, EntryEditor *entries, MessageBoxes &messageBoxes, const KeyedTexts &texts,
                 Captions &captions, QObject *parent = nullptr);

    QMenu *menu() const { return m_menu; }
    // Carries out a command on the control with the focus.
    void run(Command command);
    // Find in body: asks for the text (unless `again`, F3, repeats the last) and finds it in the
    // editor's page, forwards or (Shift+F3) backwards.
    void findInBody(bool again, bool backward = false);

signals:
    // Find: the contents page with the filter.
    void findRequested();
    // Find in body needs the contents page shown.
    void contentsWanted();

private:
    QWidget *m_window;
    EntryEditor *m_entries;
    MessageBoxes &m_messageBoxes;
    const KeyedTexts &m_texts;
    QMenu *m_menu;
    QString m_lastFind;
};

} // namespace Feedsmith

// The Edit menu.
#include "window/shell/editcommands.h"

#include "core/locale/keyedtexts.h"
#include "window/editing/entryeditor.h"
#include "window/editing/entrytreeview.h"
#include "window/editing/richtexteditor.h"
#include "window/pages/captions.h"
#include "window/platform/dialogs.h"

#include <feedsmith/version.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QWebEnginePage>

namespace Feedsmith {

using namespace Qt::StringLiterals;

EditCommands::EditCommands(QWidget *window, EntryEditor *entries, MessageBoxes &messageBoxes,
                           const KeyedTexts &texts, Captions &captions, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_entries(entries)
    , m_messageBoxes(messageBoxes)
    , m_texts(texts)
    , m_menu(new QMenu(window))
{
    m_menu->setObjectName(u"editMenu"_s);
    QAction *edit = m_menu->menuAction();
    edit->setObjectName(u"edit"_s);
    edit->setText(u"edit"_s);
    captions.addMenu(edit);
    const auto add = [&](const QString &key, const QList<QKeySequence> &keys) {
        QAction *action = captions.menuItem(u"edit"_s + key, u"edit"_s + key, window);
        action->setShortcuts(keys);
        m_menu->addAction(action);
        return action;
    };
    const auto command = [&](const QString &key, const QList<QKeySequence> &keys, Command c) {
        connect(add(key, keys), &QAction::triggered, this, [this, c] { run(c); });
    };
    command(u"undo"_s, QKeySequence::keyBindings(QKeySequence::Undo), Command::Undo);
    command(u"redo"_s, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
            Command::Redo);
    m_menu->addSeparator();
    command(u"cut"_s, QKeySequence::keyBindings(QKeySequence::Cut), Command::Cut);
    command(u"copy"_s, QKeySequence::keyBindings(QKeySequence::Copy), Command::Copy);
    command(u"paste"_s, QKeySequence::keyBindings(QKeySequence::Paste), Command::Paste);
    command(u"pasteastext"_s, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)}, Command::PasteAsText);
    command(u"selectall"_s, QKeySequence::keyBindings(QKeySequence::SelectAll), Command::SelectAll);
    m_menu->addSeparator();
    connect(add(u"find"_s, QKeySequence::keyBindings(QKeySequence::Find)), &QAction::triggered, this,
            &EditCommands::findRequested);
    connect(add(u"findinbody"_s, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)}), &QAction::triggered, this,
            [this] { findInBody(false); });
    connect(add(u"findnext"_s, {QKeySequence(Qt::Key_F3)}), &QAction::triggered, this, [this] { findInBody(true); });
    connect(add(u"findprevious"_s, {QKeySequence(Qt::SHIFT | Qt::Key_F3)}), &QAction::triggered, this,
            [this] { findInBody(true, true); });
}

void EditCommands::run(Command command)
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *line = qobject_cast<QLineEdit *>(focus)) {
        switch (command) {
        case Command::Undo: line->undo(); break;
        case Command::Redo: line->redo(); break;
        case Command::Cut: line->cut(); break;
        case Command::Copy: line->copy(); break;
        case Command::Paste:
        case Command::PasteAsText: line->paste(); break;
        case Command::SelectAll: line->selectAll(); break;
        }
        return;
    }
    if (auto *text = qobject_cast<QPlainTextEdit *>(focus)) {
        switch (command) {
        case Command::Undo: text->undo(); break;
        case Command::Redo: text->redo(); break;
        case Command::Cut: text->cut(); break;
        case Command::Copy: text->copy(); break;
        case Command::Paste:
        case Command::PasteAsText: text->paste(); break;
        case Command::SelectAll: text->selectAll(); break;
        }
        return;
    }
    RichTextEditor *editor = m_entries->editor();
    if (focus && (focus == editor || editor->isAncestorOf(focus))) {
        switch (command) {
        case Command::Undo: editor->execNamed(u"undo"_s); break;
        case Command::Redo: editor->execNamed(u"redo"_s); break;
        case Command::Cut: editor->execCommand(RichTextEditor::DECMD_CUT, RichTextEditor::DoDefault); break;
        case Command::Copy: editor->execCommand(RichTextEditor::DECMD_COPY, RichTextEditor::DoDefault); break;
        case Command::Paste: editor->execCommand(RichTextEditor::DECMD_PASTE, RichTextEditor::DoDefault); break;
        case Command::PasteAsText: m_entries->pasteAsText(); break;
        case Command::SelectAll:
            editor->execCommand(RichTextEditor::DECMD_SELECTALL, RichTextEditor::DoDefault);
            break;
        }
        return;
    }
    // In the entry list, Undo takes back the last move.
    if (focus && focus == m_entries->tree() && command == Command::Undo)
        m_entries->undoMove();
}

void EditCommands::findInBody(bool again, bool backward)
{
    if (!again || m_lastFind.isEmpty()) {
        const QString text = m_messageBoxes.askText(m_window, QString::fromLatin1(Version::ProductName),
                                                    m_texts.valueOr(u"findinbodyprompt"_s, u"Find in the text:"_s));
        if (text.isEmpty())
            return;
        m_lastFind = text;
    }
    emit contentsWanted();
    m_entries->findInBody(m_lastFind, backward);
}

} // namespace Feedsmith

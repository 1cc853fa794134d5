// The Ctrl+V filter.
#include "window/editing/keyboardfilter.h"

#include "window/editing/richtexteditor.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>

namespace Feedsmith {

KeyboardFilter::KeyboardFilter(QWidget *contentsPage, RichTextEditor *editor, QAbstractButton *pasteAsText,
                               QObject *parent)
    : QObject(parent)
    , m_contentsPage(contentsPage)
    , m_editor(editor)
    , m_pasteAsText(pasteAsText)
{ }

void KeyboardFilter::install()
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool KeyboardFilter::eventFilter(QObject *, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_V || !(key->modifiers() & Qt::ControlModifier))
        return false;
    if (!m_contentsPage || !m_contentsPage->isVisible() || !m_editor || !m_editor->editorHasFocus() || !m_pasteAsText)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // No shortcut of the window takes the keystroke; the press comes to this filter next.
        event->accept();
        return true;
    }
    // Held down, the key pastes once: auto-repeated presses are swallowed without a paste.
    if (!key->isAutoRepeat())
        QMetaObject::invokeMethod(m_pasteAsText, &QAbstractButton::click, Qt::QueuedConnection);
    return true;
}

} // namespace Feedsmith

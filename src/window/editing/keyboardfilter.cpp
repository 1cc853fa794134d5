// The Ctrl+V filter.
#include "window/editing/keyboardfilter.h"

#include "window/editing/richtexteditor.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>

#include <climits>

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

bool KeyboardFilter::isPasteKey(const QKeyEvent &event)
{
    if (!(event.modifiers() & Qt::ControlModifier))
        return false;
    if (event.key() == Qt::Key_V)
        return true;
    const bool latinLetter = event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z;
    return !latinLetter && event.nativeScanCode() == VKeyScanCode;
}

bool KeyboardFilter::isRepeat(const QKeyEvent &event)
{
    const ulong time = event.timestamp();
    const bool timed = time != 0 && m_lastPasteKeyTime != 0 && time >= m_lastPasteKeyTime;
    const ulong sinceLast = timed ? time - m_lastPasteKeyTime : ULONG_MAX;
    const bool press = event.type() == QEvent::KeyPress;
    // Held down without flagged repeats, the key sends presses alone: the first after the
    // keyboard's repeat delay. A release missed while another program had the keyboard must not
    // make the next press a repeat for long.
    const bool held = press && m_pasteKeyDown && sinceLast < RepeatDelayLimitMs;
    const bool repeat = press && (event.isAutoRepeat() || held || sinceLast < RepeatWindowMs);
    m_lastPasteKeyTime = time;
    m_pasteKeyDown = press;
    return repeat;
}

bool KeyboardFilter::eventFilter(QObject *, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (type == QEvent::KeyRelease) {
        if (key->key() == Qt::Key_V || key->nativeScanCode() == VKeyScanCode)
            isRepeat(*key); // only the time counts
        return false;
    }
    if (!isPasteKey(*key))
        return false;
    if (!m_contentsPage || !m_contentsPage->isVisible() || !m_editor || !m_editor->editorHasFocus() || !m_pasteAsText)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // No shortcut of the window takes the keystroke; the press comes to this filter next.
        event->accept();
        return true;
    }
    // Held down, the key pastes once: repeated presses are swallowed without a paste.
    if (!isRepeat(*key))
        QMetaObject::invokeMethod(m_pasteAsText, &QAbstractButton::click, Qt::QueuedConnection);
    return true;
}

} // namespace Feedsmith

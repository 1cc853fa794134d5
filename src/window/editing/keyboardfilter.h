// The Ctrl+V filter: the content editor pastes plain text only.
#pragma once

#include <QObject>
#include <QPointer>

class QAbstractButton;
class QKeyEvent;
class QWidget;

namespace Feedsmith {

class RichTextEditor;

// Watches every key press of the application before the focused widget sees it. A fresh press
// of Ctrl+V (not an auto-repeat; other modifiers are not examined) while the contents page is
// shown and the content editor has the focus is swallowed, and a click on the paste-as-text
// button is posted instead, so that the paste runs after the key event is done. Any other key,
// and Ctrl+V anywhere else, goes on as usual.
class KeyboardFilter : public QObject
{
    Q_OBJECT

public:
    // The X keycode (evdev code + 8) of the key that carries V on a Latin layout, as X11 and
    // Wayland report it.
    static constexpr quint32 VKeyScanCode = 55;
    // Presses and releases of the key held down come closer together than this; a person's
    // release and next press do not.
    static constexpr ulong RepeatWindowMs = 45;
    // The longest delay before a held key starts repeating.
    static constexpr ulong RepeatDelayLimitMs = 1000;

    KeyboardFilter(QWidget *contentsPage, RichTextEditor *editor, QAbstractButton *pasteAsText,
                   QObject *parent = nullptr);

    // Installs the filter on the application; it goes with this object.
    void install();

    // The V key with Ctrl: by its letter, or under a layout without Latin letters (Cyrillic,
    // Greek) by the key's position. A Latin letter other than V on that key (Dvorak's K) is not.
    static bool isPasteKey(const QKeyEvent &event);
    // Takes a press or release of the paste key; true for a press that comes from holding the
    // key down: flagged as auto-repeat, a press after a press without a release in between, or
    // (where the flag is missed, as with X11's paired release and press) following the key's
    // last event within RepeatWindowMs.
    bool isRepeat(const QKeyEvent &event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_contentsPage;
    QPointer<RichTextEditor> m_editor;
    QPointer<QAbstractButton> m_pasteAsText;
    ulong m_lastPasteKeyTime = 0; // the timestamp of the paste key's last press or release
    bool m_pasteKeyDown = false; // that was a press
};

} // namespace Feedsmith

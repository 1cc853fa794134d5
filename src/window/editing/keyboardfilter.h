// The Ctrl+V filter: the content editor pastes plain text only.
#pragma once

#include <QObject>
#include <QPointer>

class QAbstractButton;
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
    KeyboardFilter(QWidget *contentsPage, RichTextEditor *editor, QAbstractButton *pasteAsText,
                   QObject *parent = nullptr);

    // Installs the filter on the application; it goes with this object.
    void install();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_contentsPage;
    QPointer<RichTextEditor> m_editor;
    QPointer<QAbstractButton> m_pasteAsText;
};

} // namespace Feedsmith

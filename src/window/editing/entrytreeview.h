// The entry tree's view on the contents page.
#pragma once

#include <QTreeView>

namespace Feedsmith {

// A node the user moves to with the keys is loaded at once, while a mouse press only selects (the
// click loads, and the press may start a drag): the view tells which.
class EntryTreeView : public QTreeView
{
public:
    using QTreeView::QTreeView;
    // True while the view handles a key press: a selection that changes now is the user's move.
    bool isHandlingKey() const { return m_handlingKey; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_handlingKey = false;
};

} // namespace Feedsmith

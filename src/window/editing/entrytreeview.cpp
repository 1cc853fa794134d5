// The entry tree's view.
#include "window/editing/entrytreeview.h"

#include <QScopedValueRollback>

namespace Feedsmith {

void EntryTreeView::keyPressEvent(QKeyEvent *event)
{
    const QScopedValueRollback handling(m_handlingKey, true);
    QTreeView::keyPressEvent(event);
}

} // namespace Feedsmith

// The entry tree's view.
#include "window/editing/entrytreeview.h"

#include "core/entries/entryfilter.h"

#include <QScopedValueRollback>

namespace Feedsmith {

void EntryTreeView::keyPressEvent(QKeyEvent *event)
{
    const QScopedValueRollback handling(m_handlingKey, true);
    QTreeView::keyPressEvent(event);
}

void EntryTreeView::setFilterModel(EntryFilterModel *model)
{
    m_filter = model;
    setModel(model);
}

QString EntryTreeView::keyAt(const QModelIndex &index) const
{
    return m_filter ? m_filter->keyOf(index) : QString();
}

QModelIndex EntryTreeView::indexOfKey(const QString &key) const
{
    return m_filter ? m_filter->indexOfKey(key) : QModelIndex();
}

} // namespace Feedsmith

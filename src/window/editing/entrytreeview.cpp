// The entry tree's view.
#include "window/editing/entrytreeview.h"

#include "core/entries/entryfilter.h"

#include <QKeyEvent>
#include <QScopedValueRollback>

namespace Feedsmith {

void EntryTreeView::keyPressEvent(QKeyEvent *event)
{
    const QScopedValueRollback handling(m_handlingKey, true);
    // Home goes to the first entry, not to the root above the entries.
    if (event->key() == Qt::Key_Home && event->modifiers() == Qt::NoModifier) {
        const QModelIndex root = indexOfKey(EntryTreeModel::RootKey);
        const QModelIndex first = root.isValid() ? model()->index(0, 0, root) : QModelIndex();
        if (first.isValid()) {
            selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect);
            scrollTo(first);
            event->accept();
            return;
        }
    }
    QTreeView::keyPressEvent(event);
    // The entry moved to is always in sight, however the editor's loading moved the list.
    if (currentIndex().isValid())
        scrollTo(currentIndex());
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

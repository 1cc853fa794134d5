// The entry tree's view on the contents page.
#pragma once

#include <QTreeView>

namespace Feedsmith {

class EntryFilterModel;

// A node the user moves to with the keys is loaded at once, while a mouse press only selects (the
// click loads, and the press may start a drag): the view tells which.
class EntryTreeView : public QTreeView
{
    Q_OBJECT

public:
    using QTreeView::QTreeView;
    // True while the view handles a key press: a selection that changes now is the user's move.
    bool isHandlingKey() const { return m_handlingKey; }

    // The view shows the entry tree through the filter.
    void setFilterModel(EntryFilterModel *model);
    EntryFilterModel *filterModel() const { return m_filter; }
    // The key of a node of this view, and the node of a key (invalid while the filter hides it).
    QString keyAt(const QModelIndex &index) const;
    QModelIndex indexOfKey(const QString &key) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_handlingKey = false;
    EntryFilterModel *m_filter = nullptr;
};

} // namespace Feedsmith

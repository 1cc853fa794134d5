// The entry tree model.
#include "core/document/entrytreemodel.h"

#include <algorithm>
#include <utility>

namespace Feedsmith {

EntryTreeModel::EntryTreeModel(QObject *parent)
    : QAbstractItemModel(parent)
{ }

bool EntryTreeModel::addTopLevel(const QString &key, const QString &caption)
{
    if (key.isEmpty() || m_index.contains(key))
        return false;
    const int row = int(m_top.size());
    if (!m_bulkDepth)
        beginInsertRows({}, row, row);
    TopNode top;
    top.key = key;
    top.caption = caption;
    m_top.push_back(std::move(top));
    m_index.insert(key, Location{row, -1});
    if (!m_bulkDepth)
        endInsertRows();
    return true;
}

bool EntryTreeModel::add(const QString &relative, Relationship relationship, const QString &key, const QString &caption)
{
    if (key.isEmpty() || m_index.contains(key))
        return false;
    const auto it = m_index.constFind(relative);
    if (it == m_index.constEnd())
        return false;
    const Location rel = *it;

    if (relationship == Child) {
        if (rel.child >= 0)
            return false; // entries have no children
        auto &children = m_top[size_t(rel.top)].childrenBottomUp;
        if (!m_bulkDepth) {
            const int row = int(children.size()); // appended after the existing children
            beginInsertRows(indexAt(Location{rel.top, -1}), row, row);
        }
        children.insert(children.begin(), Node{key, caption, false});
        reindexChildren(rel.top, 0);
        if (!m_bulkDepth)
            endInsertRows();
        return true;
    }

    if (rel.child < 0) {
        // First among the top-level nodes.
        if (!m_bulkDepth)
            beginInsertRows({}, 0, 0);
        TopNode top;
        top.key = key;
        top.caption = caption;
        m_top.insert(m_top.begin(), std::move(top));
        reindexTop(0);
        if (!m_bulkDepth)
            endInsertRows();
        return true;
    }

    // First among the children of rel's parent: on top of all of them.
    auto &children = m_top[size_t(rel.top)].childrenBottomUp;
    if (!m_bulkDepth)
        beginInsertRows(indexAt(Location{rel.top, -1}), 0, 0);
    children.push_back(Node{key, caption, false});
    m_index.insert(key, Location{rel.top, int(children.size()) - 1});
    if (!m_bulkDepth)
        endInsertRows();
    return true;
}

EntryTreeModel::Node *EntryTreeModel::node(const QString &key)
{
    const auto it = m_index.constFind(key);
    if (it == m_index.constEnd())
        return nullptr;
    TopNode &top = m_top[size_t(it->top)];
    return it->child < 0 ? static_cast<Node *>(&top) : &top.childrenBottomUp[size_t(it->child)];
}

const EntryTreeModel::Node *EntryTreeModel::node(const QString &key) const
{
    return const_cast<EntryTreeModel *>(this)->node(key);
}

QString EntryTreeModel::caption(const QString &key) const
{
    const Node *n = node(key);
    return n ? n->caption : QString();
}

bool EntryTreeModel::setCaption(const QString &key, const QString &caption)
{
    Node *n = node(key);
    if (!n)
        return false;
    if (n->caption != caption) {
        n->caption = caption;
        if (m_captionBatchDepth && !m_bulkDepth) {
            const QModelIndex i = indexOfKey(key);
            const auto it = m_changedCaptionRows.find(i.internalId());
            if (it == m_changedCaptionRows.end())
                m_changedCaptionRows.insert(i.internalId(), {i.row(), i.row()});
            else
                *it = {std::min(it->first, i.row()), std::max(it->second, i.row())};
        } else if (!m_bulkDepth) {
            const QModelIndex i = indexOfKey(key);
            emit dataChanged(i, i, {Qt::DisplayRole});
        }
    }
    return true;
}

bool EntryTreeModel::isExpanded(const QString &key) const
{
    const Node *n = node(key);
    return n && n->expanded;
}

bool EntryTreeModel::setExpanded(const QString &key, bool expanded)
{
    Node *n = node(key);
    if (!n)
        return false;
    n->expanded = expanded;
    return true;
}

bool EntryTreeModel::remove(const QString &key)
{
    const auto it = m_index.constFind(key);
    if (it == m_index.constEnd())
        return false;
    const Location loc = *it;
    const int row = rowOf(loc);
    if (loc.child < 0) {
        if (!m_bulkDepth)
            beginRemoveRows({}, row, row);
        for (const Node &child : m_top[size_t(loc.top)].childrenBottomUp)
            m_index.remove(child.key);
        m_index.remove(key);
        m_top.erase(m_top.begin() + loc.top);
        reindexTop(loc.top);
    } else {
        auto &children = m_top[size_t(loc.top)].childrenBottomUp;
        if (!m_bulkDepth)
            beginRemoveRows(indexAt(Location{loc.top, -1}), row, row);
        m_index.remove(key);
        const bool wasTop = loc.child == int(children.size()) - 1;
        children.erase(children.begin() + loc.child);
        if (!wasTop)
            reindexChildren(loc.top, loc.child);
    }
    if (!m_bulkDepth)
        endRemoveRows();
    return true;
}

void EntryTreeModel::clear()
{
    if (!m_bulkDepth)
        beginResetModel();
    m_top.clear();
    m_index.clear();
    if (!m_bulkDepth)
        endResetModel();
}

int EntryTreeModel::childCount(const QString &key) const
{
    const auto it = m_index.constFind(key);
    if (it == m_index.constEnd() || it->child >= 0)
        return 0;
    return int(m_top[size_t(it->top)].childrenBottomUp.size());
}

QStringList EntryTreeModel::childKeys(const QString &key) const
{
    QStringList keys;
    const auto it = m_index.constFind(key);
    if (it == m_index.constEnd() || it->child >= 0)
        return keys;
    const auto &children = m_top[size_t(it->top)].childrenBottomUp;
    keys.reserve(qsizetype(children.size()));
    for (auto c = children.rbegin(); c != children.rend(); ++c)
        keys.append(c->key);
    return keys;
}

int EntryTreeModel::rowOf(const Location &loc) const
{
    if (loc.child < 0)
        return loc.top;
    return int(m_top[size_t(loc.top)].childrenBottomUp.size()) - 1 - loc.child;
}

void EntryTreeModel::reindexTop(int from)
{
    for (int t = from; t < int(m_top.size()); ++t) {
        m_index[m_top[size_t(t)].key] = Location{t, -1};
        reindexChildren(t, 0);
    }
}

void EntryTreeModel::reindexChildren(int top, int from)
{
    const auto &children = m_top[size_t(top)].childrenBottomUp;
    for (int c = from; c < int(children.size()); ++c)
        m_index[children[size_t(c)].key] = Location{top, c};
}

QModelIndex EntryTreeModel::indexAt(const Location &loc) const
{
    // Children carry their parent's position + 1 as internal id; top-level nodes carry 0.
    return createIndex(rowOf(loc), 0, quintptr(loc.child < 0 ? 0 : loc.top + 1));
}

QModelIndex EntryTreeModel::indexOfKey(const QString &key) const
{
    const auto it = m_index.constFind(key);
    return it == m_index.constEnd() ? QModelIndex() : indexAt(*it);
}

QString EntryTreeModel::keyOf(const QModelIndex &index) const
{
    return index.isValid() ? index.data(KeyRole).toString() : QString();
}

void EntryTreeModel::beginBulkChange()
{
    if (m_bulkDepth++ == 0)
        beginResetModel();
}

void EntryTreeModel::endBulkChange()
{
    if (--m_bulkDepth == 0)
        endResetModel();
}

void EntryTreeModel::beginCaptionBatch()
{
    ++m_captionBatchDepth;
}

void EntryTreeModel::endCaptionBatch()
{
    if (--m_captionBatchDepth > 0)
        return;
    const auto changed = std::exchange(m_changedCaptionRows, {});
    for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
        const QModelIndex first = createIndex(it->first, 0, it.key());
        const QModelIndex last = createIndex(it->second, 0, it.key());
        emit dataChanged(first, last, {Qt::DisplayRole});
    }
}

QModelIndex EntryTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < int(m_top.size()) ? createIndex(row, 0, quintptr(0)) : QModelIndex();
    if (parent.internalId() != 0)
        return {};
    const auto &children = m_top[size_t(parent.row())].childrenBottomUp;
    if (row >= int(children.size()))
        return {};
    return createIndex(row, 0, quintptr(parent.row() + 1));
}

QModelIndex EntryTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(int(child.internalId() - 1), 0, quintptr(0));
}

int EntryTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_top.size());
    if (parent.column() != 0 || parent.internalId() != 0)
        return 0;
    return int(m_top[size_t(parent.row())].childrenBottomUp.size());
}

int EntryTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant EntryTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Node *n = nullptr;
    if (index.internalId() == 0) {
        n = &m_top[size_t(index.row())];
    } else {
        const auto &children = m_top[size_t(index.internalId() - 1)].childrenBottomUp;
        n = &children[children.size() - 1 - size_t(index.row())];
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return n->caption;
    case KeyRole: return n->key;
    default: return {};
    }
}

QHash<int, QByteArray> EntryTreeModel::roleNames() const
{
    auto names = QAbstractItemModel::roleNames();
    names.insert(KeyRole, "key");
    return names;
}

} // namespace Feedsmith

// The entry tree model.
#include "core/document/entrytreemodel.h"

#include "core/system/systemlocale.h"

#include <QMimeData>
#include <QUuid>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// The root's index carries 0, an entry's 1: an entry's parent is always the root.
constexpr quintptr RootId = 0;
constexpr quintptr EntryId = 1;

} // namespace

QString EntryCaption(const RSSentry &entry, const QString &newEntryText, const DateText::ShortForm &dates)
{
    const QString &title = entry.title.isEmpty() ? newEntryText : entry.title;
    if (!entry.createdate.isValid())
        return u' ' + title;
    return dates.text(entry.createdate) + u' ' + title;
}

EntryTreeModel::EntryTreeModel(EntryCollection &entries, QObject *parent)
    : QAbstractItemModel(parent)
    , m_entries(entries)
    , m_dates(SystemLocale::locale())
    , m_treeId(QUuid::createUuid().toByteArray())
{ }

void EntryTreeModel::setNewEntryText(const QString &text)
{
    if (m_newEntryText == text)
        return;
    m_newEntryText = text;
    captionsChanged();
}

void EntryTreeModel::setLocale(const QLocale &locale)
{
    m_dates = DateText::ShortForm(locale);
    captionsChanged();
}

void EntryTreeModel::captionsChanged()
{
    if (m_hasRoot && !m_bulkDepth && !m_entries.isEmpty()) {
        const QModelIndex root = index(0, 0);
        emit dataChanged(index(0, 0, root), index(m_entries.count() - 1, 0, root), {Qt::DisplayRole});
    }
}

bool EntryTreeModel::addRoot(const QString &caption)
{
    if (m_hasRoot)
        return false;
    if (!m_bulkDepth)
        beginInsertRows({}, 0, 0);
    m_hasRoot = true;
    m_rootCaption = caption;
    m_rootExpanded = true;
    if (!m_bulkDepth)
        endInsertRows();
    return true;
}

bool EntryTreeModel::setRootCaption(const QString &caption)
{
    if (!m_hasRoot || m_rootCaption == caption)
        return false;
    m_rootCaption = caption;
    if (!m_bulkDepth) {
        const QModelIndex root = index(0, 0);
        emit dataChanged(root, root, {Qt::DisplayRole});
    }
    return true;
}

bool EntryTreeModel::appendEntry(RSSentry entry)
{
    if (m_entries.isFull())
        return false;
    const bool tell = m_hasRoot && !m_bulkDepth;
    if (tell)
        beginInsertRows(index(0, 0), 0, 0);
    m_entries.append(std::move(entry));
    if (tell)
        endInsertRows();
    return true;
}

bool EntryTreeModel::removeEntry(int number)
{
    if (number < 1 || number > m_entries.count())
        return false;
    const bool tell = m_hasRoot && !m_bulkDepth;
    if (tell) {
        const int row = rowOfNumber(number);
        beginRemoveRows(index(0, 0), row, row);
    }
    m_entries.removeAt(number);
    if (tell)
        endRemoveRows();
    return true;
}

bool EntryTreeModel::moveEntry(int from, int to)
{
    const int n = m_entries.count();
    if (from < 1 || from > n || to < 1 || to > n || from == to)
        return false;
    if (!m_hasRoot || m_bulkDepth) {
        m_entries.move(from, to);
        return true;
    }
    const int sourceRow = rowOfNumber(from);
    const int targetRow = rowOfNumber(to);
    const QModelIndex root = index(0, 0);
    // moveRows names the row in front of which the moved one lands, counted before the move.
    return moveRows(root, sourceRow, 1, root, targetRow > sourceRow ? targetRow + 1 : targetRow);
}

bool EntryTreeModel::moveRows(const QModelIndex &sourceParent, int sourceRow, int count,
                              const QModelIndex &destinationParent, int destinationChild)
{
    const int n = m_entries.count();
    const bool amongEntries =
            m_hasRoot && sourceParent.isValid() && numberAt(sourceParent) == 0 && sourceParent == destinationParent;
    if (!amongEntries || count != 1 || sourceRow < 0 || sourceRow >= n || destinationChild < 0 || destinationChild > n
        || destinationChild == sourceRow || destinationChild == sourceRow + 1)
        return false;
    const int targetRow = destinationChild > sourceRow ? destinationChild - 1 : destinationChild;
    if (!m_bulkDepth && !beginMoveRows(sourceParent, sourceRow, sourceRow, destinationParent, destinationChild))
        return false;
    m_entries.move(n - sourceRow, n - targetRow);
    if (!m_bulkDepth)
        endMoveRows();
    return true;
}

void EntryTreeModel::entryChanged(int number)
{
    if (!m_hasRoot || m_bulkDepth || number < 1 || number > m_entries.count())
        return;
    const QModelIndex changed = index(rowOfNumber(number), 0, index(0, 0));
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void EntryTreeModel::clear()
{
    beginBulkChange();
    m_entries.clear();
    m_hasRoot = false;
    m_rootCaption.clear();
    m_rootExpanded = false;
    endBulkChange();
}

void EntryTreeModel::beginBulkChange()
{
    if (m_bulkDepth++ == 0)
        beginResetModel();
}

void EntryTreeModel::endBulkChange()
{
    if (m_bulkDepth > 0 && --m_bulkDepth == 0)
        endResetModel();
}

bool EntryTreeModel::contains(const QString &key) const
{
    if (!m_hasRoot)
        return false;
    return key == RootKey || m_entries.contains(key);
}

QString EntryTreeModel::caption(const QString &key) const
{
    if (!contains(key))
        return {};
    if (key == RootKey)
        return m_rootCaption;
    return EntryCaption(*std::as_const(m_entries).find(key), m_newEntryText, m_dates);
}

bool EntryTreeModel::isExpanded(const QString &key) const
{
    return m_hasRoot && key == RootKey && m_rootExpanded;
}

bool EntryTreeModel::setExpanded(const QString &key, bool expanded)
{
    // Entries have no children to show or hide.
    if (!m_hasRoot || key != RootKey)
        return false;
    m_rootExpanded = expanded;
    return true;
}

int EntryTreeModel::childCount(const QString &key) const
{
    return m_hasRoot && key == RootKey ? m_entries.count() : 0;
}

QStringList EntryTreeModel::childKeys(const QString &key) const
{
    QStringList keys;
    const int n = childCount(key);
    keys.reserve(n);
    for (int number = n; number >= 1; --number)
        keys << EntryCollection::keyFor(number);
    return keys;
}

QModelIndex EntryTreeModel::indexOfKey(const QString &key) const
{
    if (!contains(key))
        return {};
    if (key == RootKey)
        return index(0, 0);
    return index(rowOfNumber(EntryCollection::numberOf(key)), 0, index(0, 0));
}

QString EntryTreeModel::keyOf(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return {};
    const int number = numberAt(index);
    return number > 0 ? EntryCollection::keyFor(number) : RootKey;
}

int EntryTreeModel::numberAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.internalId() != EntryId)
        return 0;
    const int number = m_entries.count() - index.row();
    return number >= 1 && number <= m_entries.count() ? number : 0;
}

QModelIndex EntryTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0 || !m_hasRoot)
        return {};
    if (!parent.isValid())
        return row == 0 ? createIndex(0, 0, RootId) : QModelIndex();
    if (parent.internalId() != RootId || row >= m_entries.count())
        return {};
    return createIndex(row, 0, EntryId);
}

QModelIndex EntryTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() != EntryId)
        return {};
    return createIndex(0, 0, RootId);
}

int EntryTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!m_hasRoot || parent.column() > 0)
        return 0;
    if (!parent.isValid())
        return 1;
    return parent.internalId() == RootId ? m_entries.count() : 0;
}

int EntryTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant EntryTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == KeyRole)
        return keyOf(index);
    if (role != Qt::DisplayRole)
        return {};
    if (index.internalId() == RootId)
        return m_rootCaption;
    const int number = numberAt(index);
    return number > 0 ? EntryCaption(std::as_const(m_entries).at(number), m_newEntryText, m_dates) : QString();
}

Qt::ItemFlags EntryTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.internalId() == RootId)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled
            | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> EntryTreeModel::roleNames() const
{
    auto names = QAbstractItemModel::roleNames();
    names.insert(KeyRole, "key");
    return names;
}

QStringList EntryTreeModel::mimeTypes() const
{
    return {MimeType};
}

QMimeData *EntryTreeModel::mimeData(const QModelIndexList &indexes) const
{
    const QString key = indexes.isEmpty() ? QString() : keyOf(indexes.first());
    if (key.isEmpty())
        return nullptr;
    auto *data = new QMimeData;
    data->setData(MimeType, key.toUtf8());
    data->setData(TreeMimeType, m_treeId);
    return data;
}

bool EntryTreeModel::isOwnDrag(const QMimeData *data) const
{
    return data && data->hasFormat(MimeType) && data->data(TreeMimeType) == m_treeId;
}

int EntryTreeModel::draggedNumber(const QMimeData *data) const
{
    if (!isOwnDrag(data))
        return 0;
    const int number = EntryCollection::numberOf(QString::fromUtf8(data->data(MimeType)));
    return number <= m_entries.count() ? number : 0;
}

bool EntryTreeModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                     const QModelIndex &parent) const
{
    // Onto a node, not between two: the dragged entry takes the place of the one dropped onto.
    return action == Qt::MoveAction && row == -1 && column == -1 && numberAt(parent) > 0 && draggedNumber(data) > 0;
}

bool EntryTreeModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                  const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    return moveEntry(draggedNumber(data), numberAt(parent));
}

} // namespace Feedsmith

// The entry tree: a root node standing for the feed and one child node per entry.
#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QString>

#include <utility>
#include <vector>

namespace Feedsmith {

// Nodes are found by key and placed the way a tree control's Add places them: as the last child
// of a node, or first among the siblings of a node. Children are stored bottom-up, so putting a
// node on top of its siblings (what every new entry does) costs nothing however long the list.
// Only two levels exist: top-level nodes and their children.
class EntryTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Relationship { FirstSibling = 0, Child = 4 };
    enum Roles { KeyRole = Qt::UserRole + 1 };

    static inline const QString RootKey = QStringLiteral("root");

    explicit EntryTreeModel(QObject *parent = nullptr);

    // Adds a top-level node.
    bool addTopLevel(const QString &key, const QString &caption);
    // Adds a node relative to the node `relative`; fails when that node is missing, the key is
    // taken, or the node would land on a third level.
    bool add(const QString &relative, Relationship relationship, const QString &key, const QString &caption);

    bool contains(const QString &key) const { return m_index.contains(key); }
    // The caption of a node, or an empty text when there is no such node.
    QString caption(const QString &key) const;
    bool setCaption(const QString &key, const QString &caption);
    bool isExpanded(const QString &key) const;
    bool setExpanded(const QString &key, bool expanded);
    bool remove(const QString &key);
    void clear();

    int topLevelCount() const { return int(m_top.size()); }
    int childCount(const QString &key) const;
    // The keys of a node's children from top to bottom.
    QStringList childKeys(const QString &key) const;

    QModelIndex indexOfKey(const QString &key) const;
    QString keyOf(const QModelIndex &index) const;

    // Between these two calls nodes are added without a signal per row; the views are told once,
    // at the end, that the whole tree changed. Use it for building a tree of many nodes at once.
    void beginBulkChange();
    void endBulkChange();

    // Between these two calls caption changes are collected; the views are then told once per
    // parent node about the range of rows whose captions changed. Rows must not be added or
    // removed in between.
    void beginCaptionBatch();
    void endCaptionBatch();

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    struct Node
    {
        QString key;
        QString caption;
        bool expanded = false;
    };
    struct TopNode : Node
    {
        std::vector<Node> childrenBottomUp; // the last element is the top child
    };
    struct Location
    {
        int top = -1; // index in m_top
        int child = -1; // index in childrenBottomUp, -1 for the top-level node itself
    };

    Node *node(const QString &key);
    const Node *node(const QString &key) const;
    int rowOf(const Location &loc) const;
    void reindexTop(int from);
    void reindexChildren(int top, int from);
    QModelIndex indexAt(const Location &loc) const;

    std::vector<TopNode> m_top;
    QHash<QString, Location> m_index;
    int m_bulkDepth = 0;
    int m_captionBatchDepth = 0;
    // Per parent (0 for the top level, else the parent's position + 1): the first and last row changed.
    QHash<quintptr, std::pair<int, int>> m_changedCaptionRows;
};

} // namespace Feedsmith

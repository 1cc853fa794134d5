// The entry tree: the document's entries seen as a root node standing for the feed with one child
// node per entry.
#pragma once

#include "core/document/entrycollection.h"
#include "core/project/datetext.h"

#include <QAbstractItemModel>
#include <QByteArray>
#include <QString>

namespace Feedsmith {

// A view over the entries themselves: it keeps no copy of them. The root's children stand newest
// first, so the row of the entry keyN is count - N, and every caption is computed from its entry
// when a view asks for it (EntryCaption). Only the root has state of its own: its caption and
// whether it is expanded.
//
// While a view shows the tree, the number and order of the entries change only through this
// model (appendEntry, removeEntry, moveRows or moveEntry, and the bulk change for building a
// whole document), and a change to an entry's title or date is announced with entryChanged, so
// that the views hear of every change. Dragging uses the model's own drag-and-drop interface: an
// entry dragged (mimeData) and dropped onto another (dropMimeData) takes its place.
// The caption of an entry's node: its creation time in the short form of `dates` ("08.12. 19:13"
// in German), a blank, and its title, or `newEntryText` when the title is empty.
QString EntryCaption(const RSSentry &entry, const QString &newEntryText, const DateText::ShortForm &dates);

class EntryTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Roles { KeyRole = Qt::UserRole + 1 };

    static inline const QString RootKey = QStringLiteral("root");
    // The MIME type of a dragged node; its data is the node's key.
    static inline const QString MimeType = QStringLiteral("application/x-feedsmith-entry-key");
    // The identity of the tree a drag started in, so that only this tree's own drags drop here.
    static inline const QString TreeMimeType = QStringLiteral("application/x-feedsmith-entry-tree");

    explicit EntryTreeModel(EntryCollection &entries, QObject *parent = nullptr);

    // The text an entry without a title shows in its caption (the language's "newentry").
    void setNewEntryText(const QString &text);
    const QString &newEntryText() const { return m_newEntryText; }
    // The regional settings the captions show dates in; the user's own (SystemLocale) at first.
    void setLocale(const QLocale &locale);
    const DateText::ShortForm &dates() const { return m_dates; }

    bool hasRoot() const { return m_hasRoot; }
    // Adds the root node, expanded, unless there is one; true when it was added.
    bool addRoot(const QString &caption);
    const QString &rootCaption() const { return m_rootCaption; }
    // False when there is no root or the caption is already this one.
    bool setRootCaption(const QString &caption);

    // The newest entry: under the next key, its node on top of the root's children. False when
    // the collection is full.
    bool appendEntry(RSSentry entry);
    // Removes the entry under a number; the entries above it move down one key.
    bool removeEntry(int number);
    // The entry under `from` goes to the place `to`; the entries in between move one place
    // towards `from`. False when either is out of range or both are the same.
    bool moveEntry(int from, int to);
    // The title or date of the entry under a number changed: its caption is shown anew.
    void entryChanged(int number);
    // No root and no entries.
    void clear();

    // Between these two calls the entries and the root may change in any way without a signal;
    // the views are told once, at the end, that the whole tree changed. Calls may nest.
    void beginBulkChange();
    void endBulkChange();

    // The key scheme of the entries, with "root" for the root node.
    bool contains(const QString &key) const;
    // The caption of a node, or an empty text when there is no such node.
    QString caption(const QString &key) const;
    bool isExpanded(const QString &key) const;
    bool setExpanded(const QString &key, bool expanded);
    int topLevelCount() const { return m_hasRoot ? 1 : 0; }
    int childCount(const QString &key) const;
    // The keys of a node's children from top to bottom.
    QStringList childKeys(const QString &key) const;
    QModelIndex indexOfKey(const QString &key) const;
    QString keyOf(const QModelIndex &index) const;
    // The number of the entry of a node; 0 for the root and for no node.
    int numberOf(const QModelIndex &index) const { return index.model() == this ? numberAt(index) : 0; }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QHash<int, QByteArray> roleNames() const override;
    // Entries move one at a time, among the root's children.
    bool moveRows(const QModelIndex &sourceParent, int sourceRow, int count, const QModelIndex &destinationParent,
                  int destinationChild) override;

    QStringList mimeTypes() const override;
    // The key of the first node given, and this tree's identity.
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    // A drag of this tree's entry onto an entry node.
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    // Moves the dragged entry to the place of the entry node `parent`; false, with nothing
    // changed, for anything else (the root dragged or dropped onto, a drop onto itself).
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }

    // True for what a drag of one of this tree's nodes carries (the root's included).
    bool isOwnDrag(const QMimeData *data) const;

private:
    int numberAt(const QModelIndex &index) const; // 0 for the root and for no entry
    int rowOfNumber(int number) const { return m_entries.count() - number; }
    int draggedNumber(const QMimeData *data) const;
    void captionsChanged(); // every entry's caption

    EntryCollection &m_entries;
    QString m_newEntryText;
    DateText::ShortForm m_dates;
    QString m_rootCaption;
    bool m_hasRoot = false;
    bool m_rootExpanded = false;
    int m_bulkDepth = 0;
    QByteArray m_treeId;
};

} // namespace Feedsmith

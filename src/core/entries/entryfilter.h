// Finding entries: the filter above the entry tree.
#pragma once

#include "core/document/feeddocument.h"

#include <QSortFilterProxyModel>
#include <QString>

#include <future>
#include <vector>

namespace Feedsmith {

// Text as the filter compares it: lower case, letters without their accents ("Köln" as "koln"),
// in UTF-8.
QByteArray FoldedForSearch(QStringView text);

// What the filter searches in an entry: its title, its link and the text of its body (tags
// left out, character references read), folded.
QByteArray SearchTextOf(const RSSentry &entry);

// The entry tree with only the entries whose title, link or body text contains the filter text,
// letter case and accents ignored; the root always shows. With no filter text every entry shows.
// The folded texts are made once, on the first filtering after the entries changed, on every
// core; filtering then only searches them.
class EntryFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    EntryFilterModel(EntryTreeModel &source, const FeedDocument &document, QObject *parent = nullptr);

    void setFilterText(const QString &text);
    // Starts folding the entries' texts on another thread, from a snapshot, so that the first
    // filtering finds them ready (the filter field calls it when it gets the focus).
    void prepare();
    const QString &filterText() const { return m_text; }
    bool isFiltering() const { return !m_needle.isEmpty(); }
    // Whether the entry under a number shows.
    bool shows(int number) const;

    // The key of a node of this model, and the node of a key ("root" included); an invalid
    // index for a key that names nothing or is hidden.
    QString keyOf(const QModelIndex &index) const;
    QModelIndex indexOfKey(const QString &key) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    void refilter();
    bool foldedAreCurrent() const;
    static std::vector<QByteArray> foldAll(const EntryCollection &entries);

    EntryTreeModel &m_source;
    const FeedDocument &m_document;
    QString m_text;
    QByteArray m_needle; // the text folded
    std::vector<QByteArray> m_folded; // by entry number - 1, made for m_foldedRevision
    quint64 m_foldedRevision = 0;
    quint64 m_foldedStructure = 0;
    bool m_foldedValid = false;
    quint64 m_structure = 0; // counts the entries added, removed and moved
    // A folding on its way (prepare), for this revision and structure.
    std::future<std::vector<QByteArray>> m_preparing;
    quint64 m_preparingRevision = 0;
    quint64 m_preparingStructure = 0;
    std::vector<char> m_matches; // by entry number - 1
};

} // namespace Feedsmith

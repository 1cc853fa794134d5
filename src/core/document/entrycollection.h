// The document's entries under their keys key1 .. keyN.
#pragma once

#include "core/document/rssentry.h"

#include <QList>
#include <QSharedData>
#include <QSharedDataPointer>
#include <QString>
#include <QStringView>

namespace Feedsmith {

// The keyed entries: a plain container. While a view shows them, their number and order change
// through the document's EntryTreeModel, which tells the views. The number in a key is the
// entry's place in the feed: keyN, the highest, is the newest entry and the first item of the
// feed; key1 is the oldest. Keys never have gaps.
// A copy costs next to nothing, so that a snapshot for a writer on another thread is made at
// once: the list and each entry are shared until one side changes them, and a change copies the
// list's pointers and the one entry changed.
class EntryCollection
{
public:
    // EntryCount is a signed 16-bit count: no document holds more entries than this.
    static constexpr int MaxEntries = 32767;

    static QString keyFor(int number);
    // The number of a key such as "key7", or 0 when the text is no entry key ("root").
    static int numberOf(QStringView key);

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    bool isFull() const { return count() >= MaxEntries; }

    bool contains(QStringView key) const;
    // The entry under a key, or nullptr. The non-const forms make the entry this collection's own
    // (copying it when a copy of the collection shares it): read through a const one.
    RSSentry *find(QStringView key);
    const RSSentry *find(QStringView key) const;

    // By number, 1 .. count().
    RSSentry &at(int number) { return m_entries[number - 1]->entry; }
    const RSSentry &at(int number) const { return m_entries.at(number - 1)->entry; }

    // Stores an entry under the next key; false when the collection is full.
    bool append(RSSentry entry);
    // Removes the entry under a number; the entries above it move down one key.
    void removeAt(int number);
    // The entry under `from` goes to the place `to`; those in between move one place towards
    // `from`. The records travel unchanged.
    void move(int from, int to);
    void clear() { m_entries.clear(); }
    void reserve(int n) { m_entries.reserve(n); }

private:
    struct Shared : QSharedData
    {
        explicit Shared(RSSentry &&e)
            : entry(std::move(e))
        { }
        RSSentry entry;
    };
    QList<QSharedDataPointer<Shared>> m_entries;
};

} // namespace Feedsmith

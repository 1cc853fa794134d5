// The document's entries under their keys key1 .. keyN.
#pragma once

#include "core/document/rssentry.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace Feedsmith {

// The keyed entries: a plain container. While a view shows them, their number and order change
// through the document's EntryTreeModel, which tells the views. The number in a key is the entry's place in the feed:
// keyN, the highest, is the newest entry and the first item of the feed; key1 is the oldest. Keys never have gaps.
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
    // The entry under a key, or nullptr.
    RSSentry *find(QStringView key);
    const RSSentry *find(QStringView key) const;

    // By number, 1 .. count().
    RSSentry &at(int number) { return m_entries[size_t(number - 1)]; }
    const RSSentry &at(int number) const { return m_entries[size_t(number - 1)]; }

    // Stores an entry under the next key; false when the collection is full.
    bool append(RSSentry entry);
    // Removes the entry under a number; the entries above it move down one key.
    void removeAt(int number);
    // The entry under `from` goes to the place `to`; those in between move one place towards
    // `from`. The records travel unchanged.
    void move(int from, int to);
    void clear() { m_entries.clear(); }
    void reserve(int n) { m_entries.reserve(size_t(n)); }

private:
    std::vector<RSSentry> m_entries;
};

} // namespace Feedsmith

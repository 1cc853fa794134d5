// The keyed entries.
#include "core/document/entrycollection.h"

#include <algorithm>
#include <utility>

namespace Feedsmith {

QString EntryCollection::keyFor(int number)
{
    return QLatin1StringView("key") + QString::number(number);
}

int EntryCollection::numberOf(QStringView key)
{
    if (key.size() < 4 || !key.startsWith(QLatin1StringView("key")))
        return 0;
    const QStringView digits = key.mid(3);
    if (digits.front() == u'0')
        return 0; // keys carry no leading zeros
    int number = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
        number = number * 10 + (c.unicode() - u'0');
        if (number > MaxEntries)
            return 0;
    }
    return number;
}

bool EntryCollection::contains(QStringView key) const
{
    const int n = numberOf(key);
    return n >= 1 && n <= count();
}

RSSentry *EntryCollection::find(QStringView key)
{
    const int n = numberOf(key);
    return (n >= 1 && n <= count()) ? &at(n) : nullptr;
}

const RSSentry *EntryCollection::find(QStringView key) const
{
    const int n = numberOf(key);
    return (n >= 1 && n <= count()) ? &at(n) : nullptr;
}

bool EntryCollection::append(RSSentry entry)
{
    if (isFull())
        return false;
    m_entries.append(QSharedDataPointer<Shared>(new Shared(std::move(entry))));
    return true;
}

void EntryCollection::removeAt(int number)
{
    if (number >= 1 && number <= count())
        m_entries.removeAt(number - 1);
}

void EntryCollection::move(int from, int to)
{
    if (from < 1 || from > count() || to < 1 || to > count())
        return;
    const auto at = [this](int number) { return m_entries.begin() + (number - 1); };
    if (from < to)
        std::rotate(at(from), at(from) + 1, at(to) + 1);
    else if (from > to)
        std::rotate(at(to), at(from), at(from) + 1);
}

} // namespace Feedsmith

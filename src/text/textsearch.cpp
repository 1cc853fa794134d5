// Fast searches for fixed markup texts.
#include "text/textsearch.h"

#include <algorithm>

namespace Feedsmith {

qsizetype indexOfIgnoringCase(QStringView text, QStringView pattern, qsizetype from)
{
    const qsizetype m = pattern.size();
    if (m == 0)
        return from <= text.size() ? from : -1;
    const QChar first = pattern.front();
    if (first.isLetter() || first.toCaseFolded() != first)
        return text.indexOf(pattern, from, Qt::CaseInsensitive);
    const qsizetype last = text.size() - m;
    for (qsizetype i = text.indexOf(first, from); i >= 0 && i <= last; i = text.indexOf(first, i + 1)) {
        if (text.mid(i + 1, m - 1).compare(pattern.mid(1), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype indexOfText(QStringView text, QStringView needle, qsizetype from)
{
    const qsizetype m = needle.size();
    if (m == 0)
        return from <= text.size() ? from : -1;
    const char16_t *data = text.utf16();
    const char16_t *pattern = needle.utf16();
    const char16_t first = pattern[0];
    const qsizetype last = text.size() - m;
    for (qsizetype i = std::max<qsizetype>(from, 0); i <= last; ++i) {
        if (data[i] != first)
            continue;
        qsizetype k = 1;
        while (k < m && data[i + k] == pattern[k])
            ++k;
        if (k == m)
            return i;
    }
    return -1;
}

namespace {

template<typename Find>
QString replaceFound(const QString &text, qsizetype needleSize, QStringView with, Find find)
{
    qsizetype found = find(0);
    if (found < 0)
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (found >= 0) {
        out += QStringView(text).mid(from, found - from);
        out += with;
        from = found + needleSize;
        found = find(from);
    }
    out += QStringView(text).mid(from);
    return out;
}

} // namespace

QString replaceAll(const QString &text, QStringView needle, QStringView with)
{
    if (needle.isEmpty())
        return text;
    return replaceFound(text, needle.size(), with, [&](qsizetype from) { return indexOfText(text, needle, from); });
}

QString replaceAllIgnoringCase(const QString &text, QStringView needle, QStringView with)
{
    if (needle.isEmpty())
        return text;
    return replaceFound(text, needle.size(), with,
                        [&](qsizetype from) { return indexOfIgnoringCase(text, needle, from); });
}

} // namespace Feedsmith

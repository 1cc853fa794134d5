// Fast searches for fixed markup texts.
#include "core/text/textsearch.h"

#include <algorithm>

namespace Feedsmith {

namespace {

// One character against another, letter case ignored; ASCII is settled without a table.
inline bool sameIgnoringCase(char16_t a, char16_t b)
{
    if (a == b)
        return true;
    if (a < 0x80 && b < 0x80) {
        const auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
        return lower(a) == lower(b);
    }
    return QChar::toCaseFolded(char32_t(a)) == QChar::toCaseFolded(char32_t(b));
}

} // namespace

qsizetype indexOfIgnoringCase(QStringView text, QStringView pattern, qsizetype from)
{
    const qsizetype m = pattern.size();
    if (m == 0)
        return from <= text.size() ? from : -1;
    const QChar first = pattern.front();
    if (first.isLetter() || first.toCaseFolded() != first)
        return text.indexOf(pattern, from, Qt::CaseInsensitive);
    const qsizetype last = text.size() - m;
    const char16_t *data = text.utf16();
    const char16_t *p = pattern.utf16();
    for (qsizetype i = text.indexOf(first, from); i >= 0 && i <= last; i = text.indexOf(first, i + 1)) {
        qsizetype k = 1;
        while (k < m && sameIgnoringCase(data[i + k], p[k]))
            ++k;
        if (k == m)
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

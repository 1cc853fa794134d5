// Fast searches for the fixed markup texts the program looks for in large bodies.
#pragma once

#include <QString>
#include <QStringView>

namespace Feedsmith {

// The first occurrence of pattern in text at or after from, letters compared without regard to
// case; -1 when there is none. Patterns that start with a character other than a letter (every
// tag: "<body>", the style block) are found by looking for that character first, which is many
// times faster than a case-blind scan of every position.
qsizetype indexOfIgnoringCase(QStringView text, QStringView pattern, qsizetype from = 0);

// The part of a content between "<body>" and "</body>", found at open and close (-1 for a tag
// that is missing): from the start without "<body>", to the end without a "</body>" after it.
// A length of -1 means to the end.
struct BodyRange
{
    qsizetype from;
    qsizetype length;
};
inline BodyRange bodyRange(qsizetype open, qsizetype close)
{
    const qsizetype from = open < 0 ? 0 : open + 6;
    return {from, close < from ? -1 : close - from};
}

// The first occurrence of needle in text at or after from (letter case counts), or -1. Looks for
// the needle's first character with the vectorised character search, then compares the rest.
qsizetype indexOfText(QStringView text, QStringView needle, qsizetype from = 0);
inline bool containsText(QStringView text, QStringView needle)
{
    return indexOfText(text, needle) >= 0;
}

// Replaces every non-overlapping occurrence of needle, found from left to right, by with; letter
// case counts. Returns text unchanged (and shared) when needle does not occur.
QString replaceAll(const QString &text, QStringView needle, QStringView with);

// replaceAll with letters compared without regard to case.
QString replaceAllIgnoringCase(const QString &text, QStringView needle, QStringView with);

} // namespace Feedsmith

// Printable text.
#include "core/text/printable.h"

#include <algorithm>

namespace Feedsmith {

namespace {

bool isControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f);
}

// The direction controls and marks, and the separators that end a line without a line break.
bool isLayout(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x061c || u == 0x200e || u == 0x200f || (u >= 0x2028 && u <= 0x2029) || (u >= 0x202a && u <= 0x202e)
            || (u >= 0x2066 && u <= 0x2069);
}

} // namespace

QString printable(QStringView text)
{
    QString result = text.toString();
    for (QChar &c : result) {
        if ((isControl(c) && c != u'\t') || isLayout(c))
            c = u'?';
    }
    return result;
}

bool hasControlCharacters(QStringView text)
{
    return std::any_of(text.begin(), text.end(), isControl);
}

bool hasLayoutCharacters(QStringView text)
{
    return std::any_of(text.begin(), text.end(), isLayout);
}

} // namespace Feedsmith

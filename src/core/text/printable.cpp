// Printable text.
#include "core/text/printable.h"

namespace Feedsmith {

namespace {

bool isControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f);
}

} // namespace

QString printable(QStringView text)
{
    QString result = text.toString();
    for (QChar &c : result) {
        if (isControl(c) && c != u'\t')
            c = u'?';
    }
    return result;
}

bool hasControlCharacters(QStringView text)
{
    for (const QChar c : text) {
        if (isControl(c))
            return true;
    }
    return false;
}

} // namespace Feedsmith

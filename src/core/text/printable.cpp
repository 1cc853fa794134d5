// Printable text.
#include "core/text/printable.h"

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

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

QString escapedPath(QStringView path)
{
    QString shown;
    shown.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        const char16_t u = c.unicode();
        const bool partEnd = i + 1 == path.size() || path[i + 1] == u'/';
        const bool partStart = i == 0 || path[i - 1] == u'/';
        if (isControl(c)) {
            shown += u"\\x"_s + QString::number(u, 16).rightJustified(2, u'0').toUpper();
        } else if (c.category() == QChar::Other_Format || u == 0x2028 || u == 0x2029) {
            shown += u"\\u"_s + QString::number(u, 16).rightJustified(4, u'0').toUpper();
        } else if (c.isSpace() && (partEnd || partStart)) {
            shown += u"\\x"_s + QString::number(u, 16).rightJustified(2, u'0').toUpper();
        } else if (c.isSpace() && i + 1 < path.size() && path[i + 1].isSpace()) {
            // A run of blanks is shown as escaped as its end: blanks that end a part of the path
            // look like the end of the name otherwise.
            qsizetype end = i;
            while (end < path.size() && path[end].isSpace())
                ++end;
            const bool runEndsPart = end == path.size() || path[end] == u'/';
            shown += runEndsPart ? u"\\x"_s + QString::number(u, 16).rightJustified(2, u'0').toUpper() : QString(c);
        } else {
            shown += c;
        }
    }
    return shown;
}

} // namespace Feedsmith

// Language files.
#include "core/locale/languagefile.h"

#include "core/text/textencoding.h"

namespace Feedsmith {

using namespace Qt::StringLiterals;

LanguageTexts ApplyLanguageFile(const MarkupTable &table)
{
    LanguageTexts result;
    bool inStrings = false;
    bool inGroup = false;
    QString groupType;
    const qsizetype last = table.lastRowIndex();
    for (qsizetype r = 0; r <= last; ++r) {
        const MarkupRow &row = table.row(r);
        if (row.name == "strings"_L1)
            inStrings = true;
        if (row.name == "group"_L1 && inStrings) {
            inGroup = true;
            groupType = GetAttribute(u"type"_s, row.attributes);
        }
        if (row.closing == "group"_L1 && inStrings)
            inGroup = false;
        if (row.closing == "strings"_L1)
            inStrings = false;
        if (inGroup && row.name != "group"_L1) {
            if (groupType == "menu"_L1 || groupType == "label"_L1 || groupType == "frame"_L1 || groupType == "button"_L1
                || groupType == "tab"_L1) {
                result.captions.append(CaptionLine{groupType, row.name, row.value});
            } else if (groupType == "text"_L1) {
                result.textTable.insert(row.name, row.value);
            } else if (groupType == "help"_L1) {
                result.helpTable.insert(row.name, UnescapeText(row.value));
            }
        }
        if (table.row(r + 1).isEmpty())
            break;
    }
    return result;
}

QString languageFileName(const QString &languageCode)
{
    return "/language-"_L1 + languageCode;
}

} // namespace Feedsmith

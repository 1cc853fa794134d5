// The program settings file.
#include "core/locale/programsettings.h"

namespace Feedsmith {

using namespace Qt::StringLiterals;

KeyedTexts ParseProgramSettings(const MarkupTable &table)
{
    KeyedTexts settings;
    bool inSettings = false;
    // The row number is a signed 16-bit count: no file is read past row 32767.
    const qsizetype last = qMin<qsizetype>(table.lastRowIndex(), 32767);
    for (qsizetype r = 0; r <= last; ++r) {
        const MarkupRow &row = table.row(r);
        if (row.name == "settings"_L1)
            inSettings = true;
        if (row.closing == "settings"_L1)
            inSettings = false;
        if (row.name != "settings"_L1 && inSettings)
            settings.insert(row.name, row.value);
        const MarkupRow &next = table.row(r + 1);
        if (next.name.isEmpty() && next.value.isEmpty())
            break;
    }
    return settings;
}

KeyedTexts LoadProgramSettings(const QString &programFolder)
{
    return ParseProgramSettings(ReadMarkupFile(programFolder + u'/', u"programsettings"_s));
}

} // namespace Feedsmith

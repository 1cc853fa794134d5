// Fuzzes the markup reader with arbitrary bytes: no crash, one row per line, tidy columns.
#include "core/text/markupreader.h"
#include "core/text/windows1252.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace Feedsmith;
    const QString text = Windows1252::decode(QByteArrayView(data, qsizetype(size)));
    const MarkupTable table = ParseMarkup(text);
    qsizetype lines = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r')
            ++lines;
    }
    if (table.lineCount() < lines || table.lineCount() > lines + 1)
        std::abort();
    if (table.lastRowIndex() <= table.lineCount() - 1 || table.lastRowIndex() % MarkupTable::MarkupBlockSize != 0)
        std::abort();
    for (qsizetype r = 0; r < table.lineCount(); ++r) {
        const MarkupRow &row = table.row(r);
        // Tabs are gone from every column (blanks may stand where a tab was, by design).
        for (const QString *column : {&row.name, &row.value, &row.closing, &row.attributes}) {
            if (column->contains(u'\t'))
                std::abort();
        }
        GetAttribute(QStringLiteral("type"), row.attributes);
    }
    return 0;
}

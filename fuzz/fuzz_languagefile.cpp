// Fuzzes the language and settings loaders with arbitrary files.
#include "core/locale/languagefile.h"
#include "core/locale/programsettings.h"
#include "core/text/markupreader.h"
#include "core/text/windows1252.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace Feedsmith;
    const MarkupTable table = ParseMarkup(Windows1252::decode(QByteArrayView(data, qsizetype(size))));
    const LanguageTexts texts = ApplyLanguageFile(table);
    const KeyedTexts settings = ParseProgramSettings(table);
    // Nothing can come out of more lines than the file has.
    if (texts.captions.size() + texts.textTable.size() + texts.helpTable.size() > table.lineCount())
        std::abort();
    if (settings.size() > table.lineCount())
        std::abort();
    for (const QString &key : texts.helpTable.keys()) {
        const QString help = texts.helpTable.value(key);
        if (help.contains(u'\r') || help.contains(u'\n'))
            std::abort(); // help texts are unescaped onto one line
    }
    return 0;
}

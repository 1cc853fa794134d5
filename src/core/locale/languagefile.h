// Language files: the window's captions, the program's messages and the field help texts.
#pragma once

#include "core/locale/keyedtexts.h"
#include "core/text/markupreader.h"

#include <QList>
#include <QString>

namespace Feedsmith {

// One caption line of a "menu", "label", "frame", "button" or "tab" group: controls of that kind
// whose caption is exactly `key` get `text`. The window applies them in file order.
struct CaptionLine
{
    QString group;
    QString key;
    QString text;

    friend bool operator==(const CaptionLine &, const CaptionLine &) = default;
};

// What a language file gives the program.
struct LanguageTexts
{
    QList<CaptionLine> captions; // in file order
    KeyedTexts textTable; // "text" groups
    KeyedTexts helpTable; // "help" groups, unescaped into HTML
};

// Walks the rows of a language file from the top: groups of type "menu", "label", "frame",
// "button" and "tab" give caption lines, "text" fills TextTable, "help" fills HelpTable, any
// other type is ignored. The walk stops at the first row whose name, value and closing name are
// all empty, so a blank line ends the file.
LanguageTexts ApplyLanguageFile(const MarkupTable &table);

// "/language-" followed by the code: the name ReadMarkupFile is given for a language.
QString languageFileName(const QString &languageCode);

} // namespace Feedsmith

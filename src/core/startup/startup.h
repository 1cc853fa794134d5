// The start-up both programs share: marker file, settings, language choice and language texts.
#pragma once

#include "core/locale/keyedtexts.h"
#include "core/locale/languagefile.h"

#include <QString>

namespace Feedsmith {

// Everything start-up prepares for the rest of the run.
struct StartupState
{
    QString programFolder;
    QString languageCode; // the language whose file was read
    bool installKeyboardFilter = true; // false when "devel.txt" holds the number 1
    KeyedTexts settingsTable;
    LanguageTexts language; // captions, TextTable and HelpTable
};

// The start-up steps that need no window, in their fixed order: the provisional language code
// from the locale name, the development marker's first test, the program settings, the fallback
// to "en" when the language has no file, the marker's second test (its text "1" forces English),
// and the language file read into the tables.
StartupState RunStartup(const QString &programFolder, const QString &localeName);

// The two readings of the marker "devel.txt" (text as ReadTextFile gives it, "-1" when absent).
bool markerSuppressesKeyboardFilter(const QString &markerText);
bool markerForcesEnglish(const QString &markerText);

} // namespace Feedsmith

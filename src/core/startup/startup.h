// The start-up both programs share: marker file, settings, language choice and language texts.
#pragma once

#include "core/locale/keyedtexts.h"
#include "core/locale/languagefile.h"

#include <QString>

namespace Feedsmith {

// The folder of the program's read-only files (language files, style sheet, templates, example
// project): beside the executable in the build tree, "../share/feedsmith" from it once
// installed. The executable's folder when neither holds an English language file.
QString findProgramFolder(const QString &executableFolder);

// The user's own folder for what the program keeps between runs and the user may edit: the
// settings file, the marker, the window's state, the trusted FTPS certificates and the editor's
// dictionary. "$XDG_CONFIG_HOME/Feedsmith", "~/.config/Feedsmith" by default.
QString userConfigFolder();
// Where earlier versions kept the settings file, the marker and the trusted certificates:
// "$XDG_CONFIG_HOME/feedsmith".
QString oldUserConfigFolder();
// Moves what the old folder holds into the user's folder, where that has nothing of the same
// name yet (what it has wins, and the old file stays where it is); the old folder goes once it
// is empty. Both programs do this at start, so that nothing the user had is lost. False when
// something could not be moved.
bool MoveOldUserConfig(const QString &oldFolder = oldUserConfigFolder(), const QString &folder = userConfigFolder());

// Where the file dialogs start: the program's "feeds" folder when the user may write there,
// else the user's documents folder (the home folder when there is none).
QString dialogStartFolder(const QString &programFolder);

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
// The settings file and the marker are taken from the user's config folder when they are there,
// which wins over the program folder.
StartupState RunStartup(const QString &programFolder, const QString &localeName,
                        const QString &configFolder = userConfigFolder());

// The two readings of the marker "devel.txt" (text as ReadTextFile gives it, "-1" when absent).
bool markerSuppressesKeyboardFilter(const QString &markerText);
bool markerForcesEnglish(const QString &markerText);

} // namespace Feedsmith

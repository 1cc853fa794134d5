// The user's regional settings, as the environment gives them.
#pragma once

#include <QLocale>
#include <QString>

namespace Feedsmith::SystemLocale {

// The locale the program formats dates and numbers with (LC_ALL, LC_TIME/LC_MESSAGES, LANG).
QLocale locale();

// Replaces the locale for the whole program (tests); a default QLocale() restores the system's.
void setLocale(const QLocale &locale);
void resetLocale();

// Two lower-case letters naming the user's language, taken from a locale name such as
// "de_DE.UTF-8" or "en_US"; "C" and "POSIX" give "c" and "po", for which no language file exists.
QString languageCode(const QString &localeName);

// The locale name the language choice starts from.
QString localeName();

} // namespace Feedsmith::SystemLocale

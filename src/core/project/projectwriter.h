// The project file (".rsx"): one element per line, as the markup reader expects.
#pragma once

#include "core/document/feeddocument.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

namespace Feedsmith {

// The first line of every project file: the file is Windows-1252, and says so.
inline constexpr char ProjectDeclaration[] = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>";

// An entry's stored body: its body text, transliterated (unless the project keeps its letters
// exactly), cleared of the style block and escaped onto one line.
QString StoredBody(const QString &content, const QString &styleBlock, bool exactLetters = false);

// The whole project file as bytes. Channel, FTP, title and link values are written as they
// stand; characters outside Windows-1252 become numeric character references, in bodies too. The
// FTP password is never written.
QByteArray BuildProjectFile(const FeedDocument &document, const QString &styleBlock);

// Builds the style block and writes the file atomically (the window commits the entry being
// edited first). False, with *error naming the file and the reason, when it could not be written;
// the previous file is then untouched.
bool WriteProjectFile(const FeedDocument &document, const QString &path, const QString &programFolder, QString *error);

} // namespace Feedsmith

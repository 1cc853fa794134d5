// The project file (".rsx"): one element per line, as the markup reader expects.
#pragma once

#include "core/document/feeddocument.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

namespace Feedsmith {

// An entry's stored body: its body text, transliterated, cleared of the style block and escaped
// onto one line.
QString StoredBody(const QString &content, const QString &styleBlock);

// The whole project file as bytes. Channel, FTP, title and link values are written as they
// stand; characters outside Windows-1252 become numeric character references. The FTP password
// is never written.
QByteArray BuildProjectFile(const FeedDocument &document, const QString &styleBlock);

// Builds the style block and writes the file atomically (the window commits the entry being
// edited first). False, with *error naming the file and the reason, when it could not be written;
// the previous file is then untouched.
bool WriteProjectFile(const FeedDocument &document, const QString &path, const QString &programFolder, QString *error);

} // namespace Feedsmith

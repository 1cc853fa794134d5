// The user's own spelling dictionary: words the editor's spelling check takes as right.
#pragma once

#include <QString>
#include <QStringList>

namespace Feedsmith {

// The file in `folder` that the web engine reads the user's words from when the editor starts:
// one word a line, then a checksum line of the words.
QString UserDictionaryPath(const QString &folder);

// Why the file cannot be the dictionary: it is a link, a folder, a pipe, a device or a socket, or
// larger than the most words the web engine takes; empty for a usable or a missing file.
QString UnusableUserDictionaryReason(const QString &folder);
// Renames an unusable file (see above) out of the web engine's way before it starts, so that it
// never opens it; what happened, in a sentence, or empty when there was nothing to do.
QString SetAsideUnusableUserDictionary(const QString &folder);

// The words of the file; none for a missing or unusable file, and none for one whose checksum
// does not match (the web engine then ignores it as well).
QStringList UserDictionaryWords(const QString &folder);

// The web engine reads the user's words only from its own storage folder, where it keeps its
// other data as well: this writes the words of the dictionary in `folder` there, as the engine
// reads them, before it starts, and removes a copy left there when `folder` has no usable
// dictionary. False, with *error, when the copy cannot be written.
bool CopyUserDictionary(const QString &folder, const QString &engineFolder, QString *error = nullptr);

// Adds a word (kept as given: no blanks, at most 99 bytes in UTF-8, at most 50000 words in all,
// as the web engine takes them). False, with *error, when the word cannot be taken or the file
// cannot be written; a word that is there already is no error.
bool AddToUserDictionary(const QString &folder, const QString &word, QString *error = nullptr);

} // namespace Feedsmith

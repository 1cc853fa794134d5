// Bracket escapes and transliteration: the text forms of the program's own files.
#pragma once

#include <QByteArray>
#include <QString>

namespace Feedsmith {

// Makes a value fit on one line of a markup file: "<" -> "[[", ">" -> "]]", "," -> "[:bst:]",
// line feeds and carriage returns deleted.
QString EscapeText(const QString &text);

// The inverse steps, in order: "[[" -> "<", "]]" -> ">", "[:bst:]" (any case) -> ",", then
// line feeds and carriage returns deleted.
QString UnescapeText(const QString &text);

// An entry body as the project file stores it, made text again: UnescapeText, and the references
// the writer gives to what the escapes would misread: "&#91;" and "&#93;" for brackets that would
// pair or start an escape, "&#9;" for a tab, "&#32;" for a blank at an end, and "&#38;" before
// "#" for an "&" that would start one of these. Other references stay as they are.
QString UnescapeStoredBody(const QString &text);

// A value of one line (a title, a link, a channel field) as files get it: CR LF, a lone CR and a
// lone LF each become one blank.
QString OneLine(const QString &value);

// Replaces the upper half of Windows-1252 by plain letters ("Ae" for the A with diaeresis,
// "Euro" for the euro sign) in two passes: a table pass in which the first form of a letter met
// decides the replacement of both its cases, and a pass that turns what is left into "_".
// Characters outside the code page are left alone.
QString Transliterate(const QString &text);

// Transliterate for text held as Windows-1252 bytes, where every byte of the upper half is a
// character of the code page: the same two passes, a byte at a time.
QByteArray TransliterateCodePage(const QByteArray &bytes);

// The replacement text of one code page byte from 128 to 255 (empty: deleted).
QLatin1StringView TransliterationFor(int code);

} // namespace Feedsmith

// The Windows-1252 code page: the single-byte form of every file the program reads and writes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace Feedsmith::Windows1252 {

// The code page byte of a character, or -1 when the code page has no code for it.
int code(char32_t codePoint);
inline int code(QChar c)
{
    return code(char32_t(c.unicode()));
}

// Bytes to text. Every byte has a character: the five bytes the code page leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same number.
QString decode(QByteArrayView bytes);
// decode into room for bytes.size() characters.
void decodeInto(QChar *out, QByteArrayView bytes);

// Text to bytes. A character without a code is written as a numeric character reference
// ("&#8594;") of its code point, which keeps it intact in HTML and XML; a lone surrogate,
// which is no character at all, is written as the reference of U+FFFD.
void appendEncoded(QByteArray &out, QStringView text);
QByteArray encode(QStringView text);

// Turns every "&#N;" with N above 255 back into its character, as the project reader does for
// plain values; smaller numbers stay as they are, so older files read exactly as before.
QString decodeHighReferences(const QString &text);
// decodeHighReferences, and the references the project writer gives to characters that would
// break a value: tab (&#9;), blank (&#32;), "&" (&#38;), "<" (&#60;), ">" (&#62;) and the "[" of
// a "[:" (&#91;).
QString decodeValueReferences(const QString &text);

} // namespace Feedsmith::Windows1252

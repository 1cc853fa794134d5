// Making text safe for the RSS file, which every XML parser and feed reader must accept.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace Feedsmith::XmlText {

// Whether XML 1.0 allows a character: tab, line feed, carriage return, U+0020..U+D7FF,
// U+E000..U+FFFD and U+10000..U+10FFFF.
bool isAllowed(char32_t codePoint);

// Drops every character that XML 1.0 forbids (other control characters, U+FFFE, U+FFFF, lone
// surrogates).
QString dropForbidden(QStringView text);

// Character data outside a CDATA section: forbidden characters dropped, "<" as "&lt;", "&" as
// "&amp;" unless it already starts a reference that an XML parser resolves without a DTD (a
// character reference to an allowed character, or one of amp, lt, gt, quot, apos), and the ">"
// of a "]]>" as "&gt;".
QString escapeCharacterData(QStringView text);

// The text of a CDATA section: forbidden characters dropped, and every "]]>" split across two
// sections so that it cannot end the section early.
QString cdataContent(QStringView text);
// cdataContent of Windows-1252 text with every character beyond ASCII written as its numeric
// reference ("&#233;"), appended to out in one pass: what referencedBeyondAscii and then
// cdataContent give for the decoded text, without decoding it. For plain ASCII, that is
// cdataContent itself.
void appendReferencedCdata(QByteArray &out, QByteArrayView codePageText);

} // namespace Feedsmith::XmlText

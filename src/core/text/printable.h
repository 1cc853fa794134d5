// Text from outside the program (a server's reply, a project file, a file name), made safe to
// print on a terminal or show in a message box.
#pragma once

#include <QString>
#include <QStringView>

namespace Feedsmith {

// The text with every control character (C0 except tab, DEL, C1) replaced by "?": a terminal
// escape sequence cannot act, and a line break inside the text cannot start a line of its own.
// So are the characters that turn the direction of text (U+202A to U+202E, U+2066 to U+2069,
// the marks U+200E, U+200F and U+061C) and the line and paragraph separators (U+2028, U+2029):
// a file name cannot show itself backwards, nor reorder or break the line it is printed in.
QString printable(QStringView text);

// Whether text holds a control character (C0 with tab, DEL, C1): none of them belongs in a
// host name, a user name, a password or a remote file name.
bool hasControlCharacters(QStringView text);

// A path as it is shown to the user: what could hide or disguise a part of it made visible. A
// control character becomes "\xHH", a character that turns or hides text (the bidirectional
// controls, zero-width characters, line and paragraph separators) "\uXXXX", and a blank at the
// start or end of a part of the path "\x20", so that "feed.xml" with blanks and "/../.." after
// it never passes for "feed.xml".
QString escapedPath(QStringView path);
// Whether text holds one of the characters that turn its direction or break its line, which
// printable() shows as "?". A remote file name with one would read as another name in a
// listing; a password may hold them.
bool hasLayoutCharacters(QStringView text);

} // namespace Feedsmith

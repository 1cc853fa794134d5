// Text from outside the program (a server's reply, a project file, a file name), made safe to
// print on a terminal or show in a message box.
#pragma once

#include <QString>
#include <QStringView>

namespace Feedsmith {

// The text with every control character (C0 except tab, DEL, C1) replaced by "?": a terminal
// escape sequence cannot act, and a line break inside the text cannot start a line of its own.
QString printable(QStringView text);

// Whether text holds a control character (C0 with tab, DEL, C1): none of them belongs in a
// host name, a user name, a password or a remote file name.
bool hasControlCharacters(QStringView text);

} // namespace Feedsmith

// HTML 4's named characters (&eacute;, &hellip;), which feeds and bodies use undeclared.
#pragma once

#include <QString>
#include <QStringView>

namespace Feedsmith {

// The text of an HTML 4 named character, or XML's "apos", by its name ("eacute" gives "\u00e9");
// an empty text for any other name.
QString HtmlNamedCharacter(QStringView name);

} // namespace Feedsmith

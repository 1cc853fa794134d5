// Addresses no feed may carry: a reader would run a script (javascript:), show a page that the
// address makes up itself (data:) or open a file of the reader's own disk (file:).
#pragma once

#include <QString>
#include <QStringView>

namespace Feedsmith {

// "javascript", "data" or "file" when the address has that scheme, else empty. The scheme is
// read as a browser reads it: blanks and control characters in front are skipped, tabs and
// line breaks anywhere are dropped, letter case does not count (" JaVa\tscript:x" is a
// javascript: address).
QString UnsafeAddressScheme(QStringView address);

// "javascript" or "data" when an HTML text links to or shows such an address (in an href, src,
// xlink:href, action or formaction attribute, with its character references read as a browser
// reads them), else empty; a picture held in a src as "data:image/..." (not SVG) is none. Comments
// are skipped. A file: address in a body is found by PointsAtLocalFiles.
QString UnsafeBodyScheme(QStringView html);

} // namespace Feedsmith

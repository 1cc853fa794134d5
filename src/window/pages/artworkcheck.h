// Whether a picture will do as a podcast's artwork, as the directories take it.
#pragma once

#include <QString>
#include <QStringList>

namespace Feedsmith {

class KeyedTexts;

// What podcast directories would refuse in the picture at `path` as a show's artwork, one plain
// sentence each from `texts` (English where they lack it): a file that is no picture, a format
// other than JPEG or PNG, a picture that is not square, one smaller than 1400 or larger than 3000
// pixels a side, and one not in RGB colours (shades of gray, or CMYK where Qt tells it). Read
// with QImageReader from the file's header; empty when the picture will do.
QStringList ArtworkProblems(const QString &path, const KeyedTexts &texts);

} // namespace Feedsmith

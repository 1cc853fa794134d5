// The optional program settings file "programsettings.xml" beside the program.
#pragma once

#include "core/locale/keyedtexts.h"
#include "core/text/markupreader.h"

namespace Feedsmith {

// The settings element's name and value pairs, up to the first row whose name and value are
// both empty. Nothing in the program acts on them; they are read and kept.
KeyedTexts ParseProgramSettings(const MarkupTable &table);
KeyedTexts LoadProgramSettings(const QString &programFolder);

} // namespace Feedsmith

// Which of the program's spelling dictionaries the entry editor checks with.
#pragma once

#include <QString>

namespace Feedsmith {

// The dictionary ("de-DE" or "en-US", the ones the program brings) for entries of a channel in
// `channelLanguage` ("de", "de-at", "en-gb"): the one of that language when there is one, else
// the one of the interface language ("de", "en"), English when neither has one.
QString SpellingDictionary(const QString &channelLanguage, const QString &interfaceLanguage);

} // namespace Feedsmith

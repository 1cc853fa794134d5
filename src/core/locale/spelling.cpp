// The spelling dictionary of a channel.
#include "core/locale/spelling.h"

#include <array>
#include <utility>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// The dictionaries the build converts, by the language they spell.
constexpr std::array<std::pair<QLatin1StringView, QLatin1StringView>, 2> Dictionaries = {{
        {"de"_L1, "de-DE"_L1},
        {"en"_L1, "en-US"_L1},
}};

// The dictionary of a language tag's language ("de" of "de-at", "de_DE"); empty for none.
QString dictionaryOf(const QString &tag)
{
    QStringView language = QStringView(tag).trimmed();
    for (qsizetype i = 0; i < language.size(); ++i) {
        if (language.at(i) == u'-' || language.at(i) == u'_') {
            language = language.left(i);
            break;
        }
    }
    for (const auto &[code, dictionary] : Dictionaries) {
        if (language.compare(code, Qt::CaseInsensitive) == 0)
            return dictionary;
    }
    return {};
}

} // namespace

QString SpellingDictionary(const QString &channelLanguage, const QString &interfaceLanguage)
{
    for (const QString &tag : {channelLanguage, interfaceLanguage}) {
        if (QString dictionary = dictionaryOf(tag); !dictionary.isEmpty())
            return dictionary;
    }
    return u"en-US"_s;
}

} // namespace Feedsmith

// Case-insensitive keyed texts.
#include "core/locale/keyedtexts.h"

namespace Feedsmith {

bool KeyedTexts::insert(const QString &key, const QString &text)
{
    const QString folded = key.toCaseFolded();
    if (m_texts.contains(folded))
        return false;
    m_texts.insert(folded, text);
    return true;
}

bool KeyedTexts::contains(const QString &key) const
{
    return m_texts.contains(key.toCaseFolded());
}

QString KeyedTexts::value(const QString &key) const
{
    return m_texts.value(key.toCaseFolded());
}

QStringList KeyedTexts::keys() const
{
    return m_texts.keys();
}

} // namespace Feedsmith

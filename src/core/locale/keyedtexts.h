// A table of texts under keys that compare without regard to letter case.
#pragma once

#include <QHash>
#include <QString>

namespace Feedsmith {

// TextTable, HelpTable and SettingsTable are of this kind. A key is held once: the first
// text given for it stays, later ones are ignored.
class KeyedTexts
{
public:
    // False when the key was already present (the text is then ignored).
    bool insert(const QString &key, const QString &text);
    bool contains(const QString &key) const;
    // The text under a key, or an empty text when the key is missing.
    QString value(const QString &key) const;
    // The text under a key, or the fallback when the key is missing or its text empty (a
    // language file of an earlier version lacks the newer texts).
    QString valueOr(const QString &key, const QString &fallback) const
    {
        const QString found = value(key);
        return found.isEmpty() ? fallback : found;
    }
    qsizetype size() const { return m_texts.size(); }
    bool isEmpty() const { return m_texts.isEmpty(); }
    QStringList keys() const;

private:
    QHash<QString, QString> m_texts; // by folded key
};

} // namespace Feedsmith

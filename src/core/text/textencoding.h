// Bracket escapes and transliteration: the text forms of the program's own files.
#pragma once

#include <QByteArray>
#include <QString>

namespace Feedsmith {

// Makes a value fit on one line of a markup file: "<" -> "[[", ">" -> "]]", "," -> "[:bst:]",
// line feeds and carriage returns deleted.
QString EscapeText(const QString &text);

// The inverse steps, in order: "[[" -> "<", "]]" -> ">", "[:bst:]" (any case) -> ",", then
// line feeds and carriage returns deleted.
QString UnescapeText(const QString &text);

// An entry body as the project file stores it, made text again: UnescapeText, and the references
// the writer gives to what the escapes would misread: "&#91;" and "&#93;" for brackets that would
// pair or start an escape, "&#9;" for a tab, "&#32;" for a blank at an end, and "&#38;" before
// "#" for an "&" that would start one of these. Other references stay as they are.
QString UnescapeStoredBody(const QString &text);

// One of those references where text[i] stands, as UnescapeStoredBody reads it: the length it
// takes up (an "&#38;" leaves its "#" to the text after it) and the character it stands for; a
// length of 0 for none. For text as characters or as bytes.
struct BodyReference
{
    qsizetype length = 0;
    char character = 0;
};
inline char16_t unitOf(QChar c)
{
    return c.unicode();
}
inline char16_t unitOf(char c)
{
    return static_cast<unsigned char>(c);
}
template<typename View>
BodyReference bodyReferenceAt(View text, qsizetype i)
{
    static constexpr struct
    {
        const char *text;
        qsizetype length;
        char character;
    } References[] = {{"&#9;", 4, '\t'}, {"&#32;", 5, ' '}, {"&#91;", 5, '['}, {"&#93;", 5, ']'}, {"&#38;#", 6, '&'}};
    for (const auto &reference : References) {
        if (i + reference.length > text.size())
            continue;
        qsizetype k = 0;
        while (k < reference.length && unitOf(text[i + k]) == char16_t(reference.text[k]))
            ++k;
        if (k == reference.length)
            return {reference.character == '&' ? reference.length - 1 : reference.length, reference.character};
    }
    return {};
}

// A value of one line (a title, a link, a channel field) as files get it: CR LF, a lone CR and a
// lone LF each become one blank.
QString OneLine(const QString &value);

// Replaces the upper half of Windows-1252 by plain letters ("Ae" for the A with diaeresis,
// "Euro" for the euro sign) in two passes: a table pass in which the first form of a letter met
// decides the replacement of both its cases, and a pass that turns what is left into "_".
// Characters outside the code page are left alone.
QString Transliterate(const QString &text);

// Transliterate for text held as Windows-1252 bytes, where every byte of the upper half is a
// character of the code page: the same two passes, a byte at a time.
QByteArray TransliterateCodePage(const QByteArray &bytes);
// The same written into `room`, which keeps its capacity for the next text: the bytes themselves
// when they hold no letter beyond ASCII, else room. The bytes must not lie in room.
QByteArrayView TransliterateCodePage(QByteArrayView bytes, QByteArray &room);

// The replacement text of one code page byte from 128 to 255 (empty: deleted).
QLatin1StringView TransliterationFor(int code);

} // namespace Feedsmith

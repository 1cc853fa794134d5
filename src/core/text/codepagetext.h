// Text held as Windows-1252 bytes: the searches and replacements the writers apply to every
// body, a byte at a time instead of a UTF-16 unit at a time. Each gives exactly what its text
// counterpart gives for the decoded text.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace Feedsmith::CodePageText {

// Appends the code page bytes of text when every character of it has a code; false, and out as
// it was, when one has none (the text must then take the text route).
bool appendExactly(QByteArray &out, QStringView text);

// indexOfIgnoringCase: letters compared as QString compares them without regard to case.
qsizetype indexOfIgnoringCase(QByteArrayView text, QByteArrayView pattern, qsizetype from = 0);

// replaceAll and replaceAllIgnoringCase.
QByteArray replaceAll(const QByteArray &text, QByteArrayView needle, QByteArrayView with);
QByteArray replaceAllIgnoringCase(const QByteArray &text, QByteArrayView needle, QByteArrayView with);

// ExtractBody, EscapeText and UnescapeText.
QByteArray extractBody(const QByteArray &content);
QByteArray escape(QByteArrayView text);
QByteArray unescape(const QByteArray &text);
// UnescapeStoredBody: unescape, and the references the project writer gives to what the escapes
// would misread.
QByteArray unescapeStoredBody(const QByteArray &text);

// Whether the writers may leave this style block out of their work on a content that is the
// block followed by a body: the description and the stored body of such a content are then
// those of the body alone. True for an ASCII block that ends with ">", holds no body tag and no
// bracket escape, and of which no copy can start inside its own unescaped form (the block
// without its line breaks) other than at its start.
bool styleBlockFallsAway(QByteArrayView block);

// The text StyleBlockRemover for bytes. A block with a character outside the code page cannot
// be held as bytes: the remover is then not usable, and the text must take the text route.
class StyleBlockRemover
{
public:
    StyleBlockRemover(const QString &styleBlock, const QString &treatedStyleBlock);
    bool isUsable() const { return m_usable; }
    QByteArray operator()(const QByteArray &text) const;
    const QString &styleBlock() const { return m_styleBlock; }
    // styleBlockFallsAway of the block.
    bool fallsAway() const { return m_fallsAway; }

private:
    QString m_styleBlock;
    QByteArray m_block;
    QByteArray m_treated; // empty when it is the same as the block
    bool m_usable = true;
    bool m_fallsAway = false;
};

} // namespace Feedsmith::CodePageText

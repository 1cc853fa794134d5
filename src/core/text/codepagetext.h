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

// The text StyleBlockRemover for bytes. A block with a character outside the code page cannot
// be held as bytes: the remover is then not usable, and the text must take the text route.
class StyleBlockRemover
{
public:
    StyleBlockRemover(const QString &styleBlock, const QString &treatedStyleBlock);
    bool isUsable() const { return m_usable; }
    QByteArray operator()(const QByteArray &text) const;

private:
    QByteArray m_block;
    QByteArray m_treated; // empty when it is the same as the block
    bool m_usable = true;
};

} // namespace Feedsmith::CodePageText

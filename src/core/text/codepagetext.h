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

// indexOfIgnoringCase for one pattern looked for in many texts. The search runs over the texts
// for one byte of the pattern that HTML text seldom holds (in either case), with the library's
// byte search, and compares the whole pattern around each hit.
class CaseFreeFinder
{
public:
    explicit CaseFreeFinder(QByteArrayView pattern);
    qsizetype indexIn(QByteArrayView text, qsizetype from = 0) const;
    qsizetype size() const { return m_pattern.size(); }

private:
    bool matchesAt(const unsigned char *text, qsizetype at) const;

    QByteArray m_pattern;
    qsizetype m_key = -1; // the position of that byte in the pattern; -1 for a plain search
    unsigned char m_keyByte = 0; // the byte itself; with m_letter, its lower case
    bool m_letter = false; // an ASCII letter, looked for in both cases
};

// replaceAll and replaceAllIgnoringCase.
QByteArray replaceAll(const QByteArray &text, QByteArrayView needle, QByteArrayView with);
QByteArray replaceAllIgnoringCase(const QByteArray &text, QByteArrayView needle, QByteArrayView with);

// ExtractBody, EscapeText and UnescapeText.
QByteArray extractBody(const QByteArray &content);
// extractBody as a part of the content, copying nothing.
QByteArrayView extractBody(QByteArrayView content);
QByteArray escape(QByteArrayView text);
QByteArray unescape(const QByteArray &text);
// UnescapeStoredBody: unescape, and the references the project writer gives to what the escapes
// would misread.
QByteArray unescapeStoredBody(const QByteArray &text);
// unescapeStoredBody written into `room`, which keeps its capacity for the next body: the text
// itself when it has nothing to unescape, else the part of room written. The text must not lie
// in room.
QByteArrayView unescapeStoredBody(QByteArrayView text, QByteArray &room);
// The text without its CR and LF: the text itself when it has none, else written into room.
QByteArrayView withoutLineBreaks(QByteArrayView text, QByteArray &room);

// Whether the writers may leave this style block out of their work on a content that is the
// block followed by a body: the description and the stored body of such a content are then
// those of the body alone. True for an ASCII block that ends with ">", holds no body tag and no
// bracket escape, and of which no copy can start inside its own unescaped form (the block
// without its line breaks) other than at its start.
bool styleBlockFallsAway(QByteArrayView block);

// The editor's style block has one form whatever its style sheet: "<style type=text/css><!--",
// the sheet, "--></style>". No body keeps one: a body edited where another sheet was read (an
// earlier program, a project's folder) carries that sheet's block, which the program's own does
// not match. Removes every block of that form (letters in any case, a block without its end
// left alone): the text itself when it holds none, else the result written into room. The text
// must not lie in room.
QByteArrayView withoutEditorStyleBlocks(QByteArrayView text, QByteArray &room);
// The same for a body as a project file stores it, its brackets escaped ("[[style ...]]").
QByteArrayView withoutStoredEditorStyleBlocks(QByteArrayView escaped, QByteArray &room);

// The text StyleBlockRemover for bytes; it removes the editor's style blocks of any sheet too. A block with a character
// outside the code page cannot be held as bytes: the remover is then not usable, and the text must take the text route.
class StyleBlockRemover
{
public:
    StyleBlockRemover(const QString &styleBlock, const QString &treatedStyleBlock);
    bool isUsable() const { return m_usable; }
    QByteArray operator()(const QByteArray &text) const;
    // The same as a view: the text itself when it holds no block (nearly always), else the
    // result held in room. The text must not lie in room.
    QByteArrayView operator()(QByteArrayView text, QByteArray &room) const;
    const QString &styleBlock() const { return m_styleBlock; }
    // styleBlockFallsAway of the block.
    bool fallsAway() const { return m_fallsAway; }

private:
    QString m_styleBlock;
    bool m_usable = true; // before the blocks, which are made with it
    QByteArray m_block;
    QByteArray m_treated; // empty when it is the same as the block
    CaseFreeFinder m_blockFinder;
    CaseFreeFinder m_treatedFinder;
    bool m_fallsAway = false;
};

} // namespace Feedsmith::CodePageText

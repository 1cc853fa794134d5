// The HTML content of an entry, as text or as a project file stored it.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace Feedsmith {

namespace CodePageText {
class StyleBlockRemover;
}

// The steps of EntryContent::writersBody that differ between the writers.
struct WritersSteps
{
    bool dropLineBreaks = false;
    bool transliterate = false;
};

// The program's style block as text and as its code page bytes, shared by every content read
// from one project file.
struct StyleBlockForms
{
    QString text;
    QByteArray codePage;
};

// Empty, a whole HTML document from the editor, or the style block followed by a body read from
// a project file. A body read from a project file stays in the file's code page bytes, with its
// bracket escapes, until someone asks for it: opening a large project decodes no body, and the
// writers take the bytes straight. Copies share their data.
class EntryContent
{
public:
    EntryContent() = default;
    // A whole content given as text.
    EntryContent(const QString &text) // NOLINT(google-explicit-constructor): a content is text
        : m_text(text)
    { }
    EntryContent(QString &&text) // NOLINT(google-explicit-constructor)
        : m_text(std::move(text))
    { }
    EntryContent(const char16_t *text) // NOLINT(google-explicit-constructor)
        : m_text(QString::fromUtf16(text))
    { }

    // The style block followed by a stored body: the value of a content row of a project file in
    // Windows-1252, bracket escapes and all. The block needs code page bytes.
    static EntryContent fromStoredBody(const StyleBlockForms &styleBlock, QByteArray escapedBody);

    bool isEmpty() const;
    // The whole content as text.
    QString text() const;
    // The number of characters of text(), near enough to size buffers with.
    qsizetype sizeHint() const;

    // Whether the content is the style block followed by a body; bodyCodePage() then gives the
    // body's code page bytes, unescaped.
    bool hasStyleBlockInFront() const { return m_stored; }
    const QString &styleBlock() const { return m_text; }
    QByteArray bodyCodePage() const;
    // Appends the whole content in code page bytes; false, and out as it was, when a character
    // of it has no code.
    bool appendCodePage(QByteArray &out) const;

    // The body as the writers write it, before their own escaping, in code page bytes: taken out
    // of its HTML document, its line breaks dropped (the feed), its letters transliterated
    // (unless the project keeps them), the style block removed. The bytes stay valid until the
    // next call on this thread: each step writes into room the thread keeps for the next body,
    // and a step with nothing to do copies nothing. nullopt when the content or the block needs
    // the text route (a character without a code).
    std::optional<QByteArrayView> writersBody(const CodePageText::StyleBlockRemover &removeStyleBlocks,
                                              WritersSteps steps) const;

    // Contents are equal when their texts are.
    friend bool operator==(const EntryContent &a, const EntryContent &b);

private:
    QString m_text; // the content given as text, or the style block of a stored body
    QByteArray m_blockCodePage; // the style block's bytes, for a stored body
    QByteArray m_body; // a stored body's bytes, escaped as the file had them
    bool m_stored = false;
};

} // namespace Feedsmith

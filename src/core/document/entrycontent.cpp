// Entry contents held as text or as stored bytes.
#include "core/document/entrycontent.h"

#include "core/text/codepagetext.h"
#include "core/text/textencoding.h"
#include "core/text/windows1252.h"

#include <algorithm>

namespace Feedsmith {

EntryContent EntryContent::fromStoredBody(const StyleBlockForms &styleBlock, QByteArray escapedBody)
{
    EntryContent content;
    if (styleBlock.text.isEmpty()) {
        // Without a block in front, whether the content is empty depends on the unescaped body.
        content.m_text = Windows1252::decode(CodePageText::unescapeStoredBody(escapedBody));
        return content;
    }
    content.m_text = styleBlock.text;
    content.m_blockCodePage = styleBlock.codePage;
    content.m_body = std::move(escapedBody);
    content.m_stored = true;
    return content;
}

bool EntryContent::isEmpty() const
{
    return m_text.isEmpty();
}

QByteArray EntryContent::bodyCodePage() const
{
    return m_stored ? CodePageText::unescapeStoredBody(m_body) : QByteArray();
}

QString EntryContent::text() const
{
    if (!m_stored)
        return m_text;
    const QByteArray body = CodePageText::unescapeStoredBody(m_body);
    QString out(m_text.size() + body.size(), Qt::Uninitialized);
    std::copy(m_text.cbegin(), m_text.cend(), out.begin());
    Windows1252::decodeInto(out.data() + m_text.size(), body);
    return out;
}

qsizetype EntryContent::sizeHint() const
{
    return m_text.size() + m_body.size();
}

bool EntryContent::appendCodePage(QByteArray &out) const
{
    if (!m_stored)
        return CodePageText::appendExactly(out, m_text);
    out += m_blockCodePage;
    out += CodePageText::unescapeStoredBody(m_body);
    return true;
}

std::optional<QByteArrayView> EntryContent::writersBody(const CodePageText::StyleBlockRemover &removeStyleBlocks,
                                                        WritersSteps steps) const
{
    if (!removeStyleBlocks.isUsable())
        return std::nullopt;
    // Every step reads what the one before wrote and writes into a room of its own.
    struct Rooms
    {
        QByteArray content, lines, letters, blocks;
        // A block of contents found equal to the writers' block, and that block: the contents
        // of a project share one block, which is then compared once, not at every content.
        QString equalBlock, writersBlock;
    };
    thread_local Rooms rooms;
    QByteArrayView bytes;
    const QString &block = removeStyleBlocks.styleBlock();
    const auto sameBlock = [&] {
        if (m_text.isSharedWith(block)
            || (m_text.isSharedWith(rooms.equalBlock) && block.isSharedWith(rooms.writersBlock)))
            return true;
        if (m_text != block)
            return false;
        rooms.equalBlock = m_text;
        rooms.writersBlock = block;
        return true;
    };
    if (m_stored && removeStyleBlocks.fallsAway() && sameBlock()) {
        // The body alone: the block would only be removed again.
        bytes = CodePageText::unescapeStoredBody(QByteArrayView(m_body), rooms.content);
    } else {
        rooms.content.truncate(0);
        if (!appendCodePage(rooms.content))
            return std::nullopt;
        bytes = rooms.content;
    }
    bytes = CodePageText::extractBody(bytes);
    if (steps.dropLineBreaks)
        bytes = CodePageText::withoutLineBreaks(bytes, rooms.lines);
    if (steps.transliterate)
        bytes = TransliterateCodePage(bytes, rooms.letters);
    return removeStyleBlocks(bytes, rooms.blocks);
}

bool operator==(const EntryContent &a, const EntryContent &b)
{
    if (a.m_stored && b.m_stored && a.m_text == b.m_text && a.m_body == b.m_body)
        return true;
    return a.text() == b.text();
}

} // namespace Feedsmith

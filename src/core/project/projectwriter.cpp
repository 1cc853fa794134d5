// The project file writer.
#include "core/project/projectwriter.h"

#include "core/document/entryfields.h"

#include "core/output/feedoptions.h"
#include "core/output/rsswriter.h"
#include "core/project/datetext.h"
#include "core/system/pieces.h"
#include "core/text/codepagetext.h"
#include "core/text/plainbytes.h"
#include "core/text/textencoding.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// Brackets of the body's own text that the bracket escapes would read as markup ("[[", "]]",
// "[<", "]>", "[:") are written as character references, which the reader turns back into the
// brackets; so is an "&" that the reader would take for the start of such a reference.
QString referencedBrackets(const QString &body)
{
    if (!body.contains(u'[') && !body.contains(u']') && !body.contains(u'&'))
        return body;
    QString out;
    out.reserve(body.size() + 16);
    const qsizetype n = body.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = body[i];
        const QChar next = i + 1 < n ? body[i + 1] : QChar();
        if (c == u'[' && (next == u'[' || next == u'<' || next == u':'))
            out += "&#91;"_L1;
        else if (c == u']' && (next == u']' || next == u'>'))
            out += "&#93;"_L1;
        else if (c == u'&' && bodyReferenceAt(QStringView(body), i).length > 0)
            out += "&#38;"_L1;
        else
            out += c;
    }
    return out;
}

// Tabs and blanks at the ends of a stored body, which reading would drop, as references.
QString referencedBlanks(QString body)
{
    if (body.contains(u'\t'))
        body.replace(u'\t', "&#9;"_L1);
    if (body.startsWith(u' '))
        body.replace(0, 1, "&#32;"_L1);
    if (body.size() > 1 && body.endsWith(u' '))
        body.replace(body.size() - 1, 1, "&#32;"_L1);
    return body;
}

// How the letters of bodies are stored: transliterated, as the project always had them, or
// exactly, when the project keeps accented letters.
enum class Letters { Transliterated, Exact };

QString storedBody(const QString &content, const StyleBlockRemover &removeStyleBlocks, Letters letters)
{
    const QString body = ExtractBody(content);
    return referencedBlanks(
            EscapeText(referencedBrackets(removeStyleBlocks(letters == Letters::Exact ? body : Transliterate(body)))));
}

// referencedBlanks(escape(referencedBrackets(body))) for bytes, appended to out in one pass.
// The references that referencedBrackets writes hold nothing that escape replaces, and escape
// leaves tabs alone: each byte's output is decided by the byte and the one behind it.
void appendStoredBytes(QByteArray &out, QByteArrayView body)
{
    enum : unsigned char { Plain, Open, Close, Less, Greater, Comma, Break, Tab, Ampersand };
    static constexpr std::array<unsigned char, 256> kind = [] {
        std::array<unsigned char, 256> k{};
        k['['] = Open;
        k[']'] = Close;
        k['<'] = Less;
        k['>'] = Greater;
        k[','] = Comma;
        k['\n'] = k['\r'] = Break;
        k['\t'] = Tab;
        k['&'] = Ampersand;
        return k;
    }();
    const auto *src = reinterpret_cast<const unsigned char *>(body.data());
    const qsizetype n = body.size();
    auto piece = [&](qsizetype i) -> QByteArrayView {
        const unsigned char next = i + 1 < n ? src[i + 1] : 0;
        switch (kind[src[i]]) {
        case Open: return next == '[' || next == '<' || next == ':' ? "&#91;" : "[";
        case Close: return next == ']' || next == '>' ? "&#93;" : "]";
        case Less: return "[[";
        case Greater: return "]]";
        case Comma: return "[:bst:]";
        case Break: return QByteArrayView("", 0);
        case Tab: return "&#9;";
        case Ampersand: return bodyReferenceAt(body, i).length > 0 ? "&#38;" : "&";
        default: return {};
        }
    };
    // Written a part of the body at a time into room for the longest outcome ("[:bst:]" for
    // every byte), then appended; the room is kept for the next body.
    constexpr qsizetype Part = 64 * 1024;
    thread_local QByteArray room(Part * 7 + 16, Qt::Uninitialized);
    const qsizetype at = out.size();
    for (qsizetype partStart = 0; partStart < n; partStart += Part) {
        const qsizetype partEnd = std::min(n, partStart + Part);
        char *const begin = room.data();
        char *dst = begin;
        qsizetype i = partStart;
        while (i < partEnd) {
#ifdef __SSE2__
            // Sixteen bytes copied at a time, kept up to the first one that is written otherwise.
            if (i + 16 <= partEnd) {
                const int plain = PlainBytes::copySixteen(src + i, dst, [](__m128i v) {
                    return PlainBytes::equalToAny(v, '[', ']', '<', '>', ',', '&', '\n', '\r', '\t');
                });
                dst += plain;
                i += plain;
                if (plain == 16)
                    continue;
            }
#endif
            if (kind[src[i]] == Plain) {
                *dst++ = char(src[i++]);
                continue;
            }
            const QByteArrayView p = piece(i++);
            std::memcpy(dst, p.data(), size_t(p.size()));
            dst += p.size();
        }
        out.append(begin, dst - begin);
    }
    // Blanks at the ends, which reading would drop.
    if (out.size() > at && out.at(at) == ' ')
        out.replace(at, 1, "&#32;");
    if (out.size() - at > 1 && out.endsWith(' '))
        out.replace(out.size() - 1, 1, "&#32;");
}

// storedBody on the content's code page bytes, for a content that the code page holds (nearly
// every one): the transliterated body is plain ASCII and goes into the file as it is. False,
// and nothing written, when the content needs the text route.
bool appendCodePageBody(QByteArray &out, const EntryContent &content, const CodePageText::StyleBlockRemover &remove,
                        Letters letters)
{
    const std::optional<QByteArrayView> body =
            content.writersBody(remove, {.transliterate = letters == Letters::Transliterated});
    if (!body)
        return false;
    appendStoredBytes(out, *body);
    return true;
}

// A channel, FTP, title or link value as it is written: what would cut it on reading ("<"), be
// taken for a reference ("&#") or a line break ("[:br:]"), or be dropped (tabs, blanks at its
// ends) is written as a reference, so that the value reads back as it stands. A value is one
// line: a line break that reached it anyway is written as a blank.
QString storedValue(const QString &raw)
{
    const QString value = OneLine(raw);
    // Most values hold nothing to write otherwise: they are taken as they stand.
    const qsizetype n = value.size();
    const bool plain = std::none_of(value.cbegin(), value.cend(),
                                    [](QChar c) { return c == u'<' || c == u'\t' || c == u'&' || c == u'['; })
            && (n == 0 || (value.front() != u' ' && value.front() != u'>' && value.back() != u' '));
    if (plain)
        return value;
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = value[i];
        const QChar next = i + 1 < n ? value[i + 1] : QChar();
        switch (c.unicode()) {
        case u'<': out += "&#60;"_L1; break;
        case u'\t': out += "&#9;"_L1; break;
        case u' ': out += i == 0 || i == n - 1 ? "&#32;"_L1 : " "_L1; break;
        case u'>': out += i == 0 ? "&#62;"_L1 : ">"_L1; break; // the reader passes over a leading ">"
        case u'&': out += next == u'#' ? "&#38;"_L1 : "&"_L1; break;
        case u'[': out += next == u':' ? "&#91;"_L1 : "["_L1; break; // "[:br:]" would read as a break
        default: out += c;
        }
    }
    return out;
}

// Tabs, "<tag>", the value in the file's code page, "</tag>", CR LF.
void element(QByteArray &out, const char *indent, QLatin1StringView tag, const QString &value)
{
    out += indent;
    out += '<';
    out.append(tag.data(), tag.size());
    out += '>';
    Windows1252::appendEncoded(out, value);
    out += "</";
    out.append(tag.data(), tag.size());
    out += ">\r\n";
}

} // namespace

QString StoredBody(const QString &content, const QString &styleBlock, bool exactLetters)
{
    // A style sheet with letters outside ASCII no longer matches itself after transliteration;
    // its transliterated form is removed as well.
    if (exactLetters)
        return storedBody(content, StyleBlockRemover(styleBlock, styleBlock), Letters::Exact);
    return storedBody(content, StyleBlockRemover(styleBlock, Transliterate(styleBlock)), Letters::Transliterated);
}

namespace {

// The file in pieces, handed to `sink` in order as they are made: the settings, the entries
// (streamInPieces: never more than two batches of them in memory), the closing line.
bool projectFileInPieces(const FeedDocument &document, const QString &styleBlock, const PieceSink &sink)
{
    // Written straight into bytes: a large project is not held a second time as text.
    const char *tab = "\t";
    const char *tabs = "\t\t";
    QByteArray out;
    out += ProjectDeclaration;
    out += "\r\n";
    out += "<settings>\r\n";
    auto fields = [&](bool channel) {
        for (const DocumentField &field : DocumentFields) {
            const QString &value = field.value(document);
            if (field.isChannelField() != channel || !field.isStored() || value.isEmpty())
                continue;
            if (!field.isList) {
                element(out, tab, field.key, storedValue(value));
                continue;
            }
            for (const QString &item : value.split(u'\n', Qt::SkipEmptyParts))
                element(out, tab, field.key, storedValue(item));
        }
    };
    fields(true);
    out += "</settings>\r\n";
    out += "<ftpsettings>\r\n";
    fields(false);
    out += "</ftpsettings>\r\n";

    const int count = document.entryCount();
    if (count > 0) {
        // Variants of the style block are worked out once, not per entry.
        const Letters letters = FeedOptions::of(document).keepAccents ? Letters::Exact : Letters::Transliterated;
        const QString treatedStyleBlock = letters == Letters::Exact ? styleBlock : Transliterate(styleBlock);
        const StyleBlockRemover removeStyleBlocks(styleBlock, treatedStyleBlock);
        const CodePageText::StyleBlockRemover removeCodePageStyleBlocks(styleBlock, treatedStyleBlock);
        // Publication dates typed as local times are stored with their offsets, as entry dates
        // are; their forms are worked out only when an entry has one.
        std::optional<DateText::Reader> typedDates;
        for (int i = 1; i <= count && !typedDates; ++i) {
            if (!document.entries.at(i).pubdate.isEmpty())
                typedDates.emplace(QLocale::system());
        }
        // The entries are written in pieces on every core, in order.
        const auto buildEntries = [&](qsizetype begin, qsizetype end) {
            QByteArray piece;
            qsizetype estimate = 0;
            for (qsizetype k = begin; k < end; ++k) {
                const RSSentry &entry = document.entries.at(int(k) + 1);
                estimate += entry.title.size() + entry.link.size() + entry.content.sizeHint() + 128;
            }
            piece.reserve(estimate);
            for (qsizetype k = begin; k < end; ++k) {
                const RSSentry &entry = document.entries.at(int(k) + 1);
                piece += "\t<entry>\r\n";
                if (!entry.title.isEmpty())
                    element(piece, tabs, "title"_L1, storedValue(entry.title));
                if (!entry.link.isEmpty())
                    element(piece, tabs, "link"_L1, storedValue(entry.link));
                if (!entry.content.isEmpty()) {
                    piece += "\t\t<content>";
                    if (!appendCodePageBody(piece, entry.content, removeCodePageStyleBlocks, letters))
                        Windows1252::appendEncoded(piece, storedBody(entry.content.text(), removeStyleBlocks, letters));
                    piece += "</content>\r\n";
                }
                // A date that could not be read is written back as the file had it.
                element(piece, tabs, "date"_L1,
                        entry.unreadDate.isEmpty() ? DateText::storedText(entry.createdate)
                                                   : storedValue(entry.unreadDate));
                for (const EntryField &field : EntryFields) {
                    for (const QString &item : field.items(entry))
                        element(piece, tabs, field.key,
                                storedValue(field.rss == RssPlace::PublicationDate ? typedDates->stored(item) : item));
                }
                piece += "\t</entry>\r\n";
            }
            return piece;
        };
        out += "<entries>\r\n";
        return sink(out) && streamInPieces(count, buildEntries, sink) && sink("</entries>\r\n");
    }
    return sink(out);
}

} // namespace

QByteArray BuildProjectFile(const FeedDocument &document, const QString &styleBlock)
{
    QByteArray file;
    projectFileInPieces(document, styleBlock, [&file](QByteArrayView piece) {
        file += piece;
        return true;
    });
    return file;
}

bool WriteProjectFile(const FeedDocument &document, const QString &path, const QString &programFolder, QString *error)
{
    const QString styleBlock = BuildStyleBlock(programFolder);
    // The pieces go to the file as they are made, never joined in memory.
    return writeFileAtomically(
            path, [&](const PieceSink &sink) { return projectFileInPieces(document, styleBlock, sink); }, error);
}

} // namespace Feedsmith

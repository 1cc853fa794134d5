// Text work on Windows-1252 bytes.
#include "core/text/codepagetext.h"

#include "core/text/plainbytes.h"
#include "core/text/textencoding.h"
#include "core/text/textsearch.h"

#include "core/text/windows1252.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace Feedsmith::CodePageText {

namespace {

// The case-folded character of every byte, as QString folds it when it compares without regard
// to case (the micro sign folds to a Greek letter outside the code page, for instance).
struct FoldTable
{
    std::array<char16_t, 256> fold{};
    std::array<bool, 256> alone{}; // no other byte folds to the same character

    FoldTable()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QString text = Windows1252::decode(all);
        for (int b = 0; b < 256; ++b)
            fold[size_t(b)] = text[b].toCaseFolded().unicode();
        for (int b = 0; b < 256; ++b) {
            int same = 0;
            for (int c = 0; c < 256; ++c)
                same += fold[size_t(c)] == fold[size_t(b)] ? 1 : 0;
            alone[size_t(b)] = same == 1;
        }
    }
};

const FoldTable &foldTable()
{
    static const FoldTable table;
    return table;
}

inline unsigned char byteAt(QByteArrayView text, qsizetype i)
{
    return static_cast<unsigned char>(text[i]);
}

template<typename Find>
QByteArray replaceFound(const QByteArray &text, qsizetype needleSize, QByteArrayView with, Find find)
{
    qsizetype found = find(0);
    if (found < 0)
        return text;
    QByteArray out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (found >= 0) {
        out.append(text.constData() + from, found - from);
        out.append(with);
        from = found + needleSize;
        found = find(from);
    }
    out.append(text.constData() + from, text.size() - from);
    return out;
}

// The library's byte search finds the first byte; the rest is compared in place.
qsizetype indexOfText(QByteArrayView text, QByteArrayView needle, qsizetype from)
{
    const qsizetype m = needle.size();
    const qsizetype last = text.size() - m;
    const char *data = text.data();
    for (qsizetype i = std::max<qsizetype>(from, 0); i <= last; ++i) {
        const void *hit = std::memchr(data + i, needle.front(), size_t(last - i + 1));
        if (!hit)
            return -1;
        i = static_cast<const char *>(hit) - data;
        if (std::memcmp(data + i + 1, needle.data() + 1, size_t(m - 1)) == 0)
            return i;
    }
    return -1;
}

} // namespace

bool appendExactly(QByteArray &out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *dst = out.data() + start;
    // Text of Latin-1 letters without the code page's second block of 32 is narrowed as it is; a
    // loop without branches that the compiler vectorises.
    const char16_t *units = text.utf16();
    const qsizetype n = text.size();
    char16_t high = 0;
    bool block = false;
    for (qsizetype i = 0; i < n; ++i) {
        high |= units[i] & 0xFF00;
        block |= (units[i] & 0xFFE0) == 0x80;
    }
    if (high == 0 && !block) {
        for (qsizetype i = 0; i < n; ++i)
            dst[i] = char(units[i]);
        return true;
    }
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            *dst++ = char(u);
            continue;
        }
        const int code = Windows1252::code(char32_t(u));
        if (code < 0 || QChar::isSurrogate(u)) {
            out.resize(start);
            return false;
        }
        *dst++ = char(code);
    }
    return true;
}

qsizetype indexOfIgnoringCase(QByteArrayView text, QByteArrayView pattern, qsizetype from)
{
    const qsizetype m = pattern.size();
    if (from < 0)
        from = 0;
    if (m == 0)
        return from <= text.size() ? from : -1;
    const FoldTable &t = foldTable();
    const unsigned char first = byteAt(pattern, 0);
    const char16_t firstFolded = t.fold[first];
    const qsizetype last = text.size() - m;
    const auto *data = reinterpret_cast<const unsigned char *>(text.data());
    for (qsizetype i = from; i <= last; ++i) {
        if (t.alone[first]) {
            // The first byte has no other case: the library's byte search finds it.
            const void *hit = std::memchr(data + i, first, size_t(last - i + 1));
            if (!hit)
                return -1;
            i = static_cast<const unsigned char *>(hit) - data;
        } else if (t.fold[data[i]] != firstFolded) {
            continue;
        }
        qsizetype k = 1;
        while (k < m && t.fold[data[i + k]] == t.fold[byteAt(pattern, k)])
            ++k;
        if (k == m)
            return i;
    }
    return -1;
}

namespace {

// How often a byte turns up in the HTML of a body, roughly: 0 for the rarest. Letters count in
// both cases, in the order of their frequency in English, German and French text.
int commonness(unsigned char b)
{
    static constexpr std::string_view rare = "{}|~^`@$%\\!*+#;";
    static constexpr std::string_view letters = "qjxzykvwfbgpmcuhldsrontiae";
    if (rare.find(char(b)) != std::string_view::npos)
        return 0;
    if (b >= '0' && b <= '9')
        return 1;
    const unsigned char lower = (b >= 'A' && b <= 'Z') ? b | 0x20 : b;
    if (const size_t at = letters.find(char(lower)); at != std::string_view::npos)
        return 2 + int(at);
    return 100; // markup, blanks, punctuation and the upper half
}

} // namespace

CaseFreeFinder::CaseFreeFinder(QByteArrayView pattern)
    : m_pattern(pattern.toByteArray())
{
    const FoldTable &t = foldTable();
    int best = 100;
    for (qsizetype k = 0; k < m_pattern.size(); ++k) {
        const auto b = static_cast<unsigned char>(m_pattern[k]);
        // A byte that stands for itself alone, or an ASCII letter whose only other case is the
        // other ASCII letter.
        const bool letter = (b | 0x20) >= 'a' && (b | 0x20) <= 'z'
                && std::count(t.fold.cbegin(), t.fold.cend(), t.fold[b]) == 2 && t.fold[b ^ 0x20] == t.fold[b];
        const bool usable = t.alone[b] || letter;
        if (usable && commonness(b) < best) {
            best = commonness(b);
            m_key = k;
            m_letter = letter;
            m_keyByte = letter ? (b | 0x20) : b;
        }
    }
}

bool CaseFreeFinder::matchesAt(const unsigned char *text, qsizetype at) const
{
    const FoldTable &t = foldTable();
    const auto *pattern = reinterpret_cast<const unsigned char *>(m_pattern.constData());
    for (qsizetype k = 0; k < m_pattern.size(); ++k) {
        if (text[at + k] != pattern[k] && t.fold[text[at + k]] != t.fold[pattern[k]])
            return false;
    }
    return true;
}

qsizetype CaseFreeFinder::indexIn(QByteArrayView text, qsizetype from) const
{
    if (m_key < 0)
        return indexOfIgnoringCase(text, m_pattern, from);
    from = std::max<qsizetype>(from, 0);
    const qsizetype m = m_pattern.size();
    if (text.size() - from < m)
        return -1;
    const auto *data = reinterpret_cast<const unsigned char *>(text.data());
    // The key byte stands at k + m_key for a match at k: from + m_key .. size - m + m_key.
    qsizetype i = from + m_key;
    const qsizetype last = text.size() - m + m_key;
    constexpr quint64 Ones = 0x0101010101010101ull;
    constexpr quint64 Highs = 0x8080808080808080ull;
    while (i <= last) {
        if (!m_letter) {
            const void *hit = std::memchr(data + i, m_keyByte, size_t(last - i + 1));
            if (!hit)
                return -1;
            i = static_cast<const unsigned char *>(hit) - data;
        } else {
            // Eight bytes at a time: a byte in either case of the letter is the letter's lower
            // case once 0x20 is set in it, and no other byte is.
            for (; i + 8 <= last + 1; i += 8) {
                quint64 word;
                std::memcpy(&word, data + i, 8);
                const quint64 x = (word | (Ones * 0x20)) ^ (Ones * m_keyByte);
                if (((x - Ones) & ~x & Highs) != 0)
                    break;
            }
            while (i <= last && (data[i] | 0x20) != m_keyByte)
                ++i;
            if (i > last)
                return -1;
        }
        if (matchesAt(data, i - m_key))
            return i - m_key;
        ++i;
    }
    return -1;
}

QByteArray replaceAll(const QByteArray &text, QByteArrayView needle, QByteArrayView with)
{
    if (needle.isEmpty())
        return text;
    return replaceFound(text, needle.size(), with, [&](qsizetype from) { return indexOfText(text, needle, from); });
}

QByteArray replaceAllIgnoringCase(const QByteArray &text, QByteArrayView needle, QByteArrayView with)
{
    if (needle.isEmpty())
        return text;
    return replaceFound(text, needle.size(), with,
                        [&](qsizetype from) { return indexOfIgnoringCase(text, needle, from); });
}

namespace {

BodyRange bodyRangeOf(QByteArrayView content)
{
    static const CaseFreeFinder open("<body>");
    static const CaseFreeFinder close("</body>");
    return bodyRange(open.indexIn(content), close.indexIn(content));
}

} // namespace

QByteArray extractBody(const QByteArray &content)
{
    const BodyRange body = bodyRangeOf(content);
    return content.mid(body.from, body.length);
}

QByteArrayView extractBody(QByteArrayView content)
{
    const BodyRange body = bodyRangeOf(content);
    return body.length < 0 ? content.sliced(body.from) : content.sliced(body.from, body.length);
}

QByteArray escape(QByteArrayView text)
{
    // The length first, then every byte written straight into place.
    static constexpr std::array<QByteArrayView, 256> replacements = [] {
        std::array<QByteArrayView, 256> r{};
        r['<'] = "[[";
        r['>'] = "]]";
        r[','] = "[:bst:]";
        r['\n'] = QByteArrayView("", 0);
        r['\r'] = QByteArrayView("", 0);
        return r;
    }();
    const auto *data = reinterpret_cast<const unsigned char *>(text.data());
    const qsizetype n = text.size();
    qsizetype length = n;
    for (qsizetype i = 0; i < n; ++i) {
        if (const QByteArrayView r = replacements[data[i]]; r.data())
            length += r.size() - 1;
    }
    QByteArray out(length, Qt::Uninitialized);
    char *dst = out.data();
    for (qsizetype i = 0; i < n; ++i) {
        const QByteArrayView r = replacements[data[i]];
        if (!r.data()) {
            *dst++ = char(data[i]);
            continue;
        }
        std::memcpy(dst, r.data(), size_t(r.size()));
        dst += r.size();
    }
    return out;
}

namespace {

// Where the next "[", "]", LF or CR (and "&" when `ampersand`) stands, from i on; n when none.
// Eight bytes are looked at a time: a byte of a word equals c when the word XOR c repeated has
// a zero byte there.
qsizetype nextSpecial(const unsigned char *src, qsizetype i, qsizetype n, bool ampersand)
{
    constexpr quint64 Ones = 0x0101010101010101ull;
    constexpr quint64 Highs = 0x8080808080808080ull;
    auto hasByte = [](quint64 word, unsigned char c) {
        const quint64 x = word ^ (Ones * c);
        return ((x - Ones) & ~x & Highs) != 0;
    };
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, src + i, 8);
        if (hasByte(word, '[') || hasByte(word, ']') || hasByte(word, '\n') || hasByte(word, '\r')
            || (ampersand && hasByte(word, '&')))
            break;
    }
    while (i < n && src[i] != '[' && src[i] != ']' && src[i] != '\n' && src[i] != '\r' && !(ampersand && src[i] == '&'))
        ++i;
    return i;
}

// Copies the bytes from i up to the next special byte of nextSpecial (or the end) to dst; where
// that byte stands. Sixteen bytes are copied at a time and looked at after they were copied:
// the output never runs ahead of the input, so there is room for them.
qsizetype copyRun(const unsigned char *src, qsizetype i, qsizetype n, char *dst, bool ampersand)
{
#ifdef __SSE2__
    const char amp = ampersand ? '&' : '[';
    const auto stops = [amp](__m128i v) { return PlainBytes::equalToAny(v, '[', ']', '\n', '\r', amp); };
    const qsizetype from = i;
    for (; i + 16 <= n; i += 16) {
        if (const int plain = PlainBytes::copySixteen(src + i, dst + (i - from), stops); plain < 16)
            return i + plain;
    }
    const qsizetype end = nextSpecial(src, i, n, ampersand);
    std::memcpy(dst + (i - from), src + i, size_t(end - i));
    return end;
#else
    const qsizetype end = nextSpecial(src, i, n, ampersand);
    std::memcpy(dst, src + i, size_t(end - i));
    return end;
#endif
}

// The four steps of UnescapeText in one pass over the text as it came, written to dst (room for
// text.size() bytes), from the first special byte `i` on; the length written.
//  1. "[[" -> "<" and "]]" -> ">", each bracket pairing with the next from the left;
//  2. "[:bst:]" (any case) -> ",", on what step 1 left: a "[" that step 1 did not pair,
//     whose "]" step 1 does not pair with a following "]";
//  3. and 4. every LF and CR dropped, after the others matched across them.
// With `references`, the body references are decoded as well; what they give is text that
// no step above looks at again.
qsizetype unescapeInto(QByteArrayView text, qsizetype i, bool references, char *const begin)
{
    const qsizetype n = text.size();
    const auto *src = reinterpret_cast<const unsigned char *>(text.data());
    const FoldTable &t = foldTable();
    auto isBst = [&](qsizetype at) {
        static constexpr char tail[] = ":bst:]";
        if (at + 7 > n || (at + 7 < n && src[at + 7] == ']'))
            return false;
        for (int k = 0; k < 6; ++k) {
            if (t.fold[src[at + 1 + k]] != t.fold[static_cast<unsigned char>(tail[k])])
                return false;
        }
        return true;
    };
    char *dst = begin;
    std::memcpy(dst, src, size_t(i));
    dst += i;
    while (i < n) {
        const unsigned char c = src[i];
        if (references && c == '&') {
            if (const BodyReference reference = bodyReferenceAt(text, i); reference.length > 0) {
                *dst++ = reference.character;
                i += reference.length;
            } else {
                *dst++ = '&';
                ++i;
            }
        } else if (c != '[' && c != ']' && c != '\n' && c != '\r') {
            // A run without brackets or line breaks, copied whole.
            const qsizetype end = copyRun(src, i, n, dst, references);
            dst += end - i;
            i = end;
        } else if ((c == '[' || c == ']') && i + 1 < n && src[i + 1] == c) {
            *dst++ = c == '[' ? '<' : '>';
            i += 2;
        } else if (c == '[' && isBst(i)) {
            *dst++ = ',';
            i += 7;
        } else if (c == '[' || c == ']') {
            *dst++ = char(c);
            ++i;
        } else {
            ++i; // a line break
        }
    }
    return dst - begin;
}

QByteArray unescapeBytes(const QByteArray &text, bool references)
{
    const qsizetype n = text.size();
    const qsizetype i = nextSpecial(reinterpret_cast<const unsigned char *>(text.constData()), 0, n, references);
    if (i == n)
        return text;
    QByteArray out(n, Qt::Uninitialized);
    out.truncate(unescapeInto(text, i, references, out.data()));
    return out;
}

} // namespace

QByteArray unescape(const QByteArray &text)
{
    return unescapeBytes(text, false);
}

QByteArray unescapeStoredBody(const QByteArray &text)
{
    return unescapeBytes(text, true);
}

QByteArrayView unescapeStoredBody(QByteArrayView text, QByteArray &room)
{
    const qsizetype n = text.size();
    const qsizetype i = nextSpecial(reinterpret_cast<const unsigned char *>(text.data()), 0, n, true);
    if (i == n)
        return text;
    if (room.size() < n)
        room.resize(n);
    return QByteArrayView(room.constData(), unescapeInto(text, i, true, room.data()));
}

QByteArrayView withoutLineBreaks(QByteArrayView text, QByteArray &room)
{
    if (!text.contains('\r') && !text.contains('\n'))
        return text;
    if (room.size() < text.size())
        room.resize(text.size());
    char *const begin = room.data();
    char *const end =
            std::remove_copy_if(text.begin(), text.end(), begin, [](char c) { return c == '\r' || c == '\n'; });
    return QByteArrayView(begin, end - begin);
}

bool styleBlockFallsAway(QByteArrayView block)
{
    if (block.isEmpty() || block.back() != '>')
        return false;
    for (const char c : block) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    for (const QByteArrayView pattern : {"<body>", "</body>", "[[", "]]", "[:bst:]"}) {
        if (indexOfIgnoringCase(block, pattern) >= 0)
            return false;
    }
    // Unescaping now only drops the line breaks. A removal of the block from the unescaped block
    // followed by anything must find its first copy at 0, covering exactly the unescaped block
    // (or a later one that starts behind it).
    const QByteArray unescaped = unescape(block.toByteArray());
    const FoldTable &t = foldTable();
    auto sameIgnoringCase = [&t](QByteArrayView a, QByteArrayView b) {
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (t.fold[byteAt(a, i)] != t.fold[byteAt(b, i)])
                return false;
        }
        return true;
    };
    for (qsizetype s = 0; s < unescaped.size(); ++s) {
        const QByteArrayView rest = QByteArrayView(unescaped).sliced(s);
        const qsizetype n = std::min(rest.size(), block.size());
        if (s == 0 && rest.size() == block.size())
            continue; // the block has no line breaks: it is its own unescaped form
        if (sameIgnoringCase(rest.first(n), block.first(n)))
            return false;
    }
    return true;
}

namespace {

QByteArray codePageOrEmpty(const QString &text, bool *usable)
{
    QByteArray bytes;
    *usable = appendExactly(bytes, text) && *usable;
    return bytes;
}

QByteArray removeAll(const QByteArray &text, const CaseFreeFinder &finder)
{
    if (finder.size() == 0)
        return text;
    return replaceFound(text, finder.size(), {}, [&](qsizetype from) { return finder.indexIn(text, from); });
}

} // namespace

namespace {

QByteArrayView withoutBlocks(QByteArrayView text, QByteArray &room, const CaseFreeFinder &open,
                             const CaseFreeFinder &close)
{
    qsizetype at = open.indexIn(text);
    if (at < 0)
        return text;
    QByteArray out;
    qsizetype from = 0;
    while (at >= 0) {
        const qsizetype end = close.indexIn(text, at + open.size());
        if (end < 0)
            break;
        out.append(text.sliced(from, at - from));
        from = end + close.size();
        at = open.indexIn(text, from);
    }
    if (from == 0)
        return text;
    out.append(text.sliced(from));
    room = std::move(out);
    return room;
}

} // namespace

QByteArrayView withoutEditorStyleBlocks(QByteArrayView text, QByteArray &room)
{
    static const CaseFreeFinder open("<style type=text/css><!--");
    static const CaseFreeFinder close("--></style>");
    return withoutBlocks(text, room, open, close);
}

QByteArrayView withoutStoredEditorStyleBlocks(QByteArrayView escaped, QByteArray &room)
{
    static const CaseFreeFinder open("[[style type=text/css]][[!--");
    static const CaseFreeFinder close("--]][[/style]]");
    return withoutBlocks(escaped, room, open, close);
}

StyleBlockRemover::StyleBlockRemover(const QString &styleBlock, const QString &treatedStyleBlock)
    : m_styleBlock(styleBlock)
    , m_block(codePageOrEmpty(styleBlock, &m_usable))
    , m_treated(treatedStyleBlock.compare(styleBlock, Qt::CaseInsensitive) != 0
                        ? codePageOrEmpty(treatedStyleBlock, &m_usable)
                        : QByteArray())
    , m_blockFinder(m_block)
    , m_treatedFinder(m_treated)
{
    m_fallsAway = m_usable && styleBlockFallsAway(m_block);
}

QByteArray StyleBlockRemover::operator()(const QByteArray &text) const
{
    const QByteArray removed = removeAll(removeAll(text, m_blockFinder), m_treatedFinder);
    QByteArray room;
    const QByteArrayView rest = withoutEditorStyleBlocks(removed, room);
    return rest.data() == removed.data() ? removed : room;
}

QByteArrayView StyleBlockRemover::operator()(QByteArrayView text, QByteArray &room) const
{
    // Every block, the program's and its treated form too, starts as the editor's blocks do: a
    // text without that start holds none.
    static const CaseFreeFinder start("<style type=text/css><!--");
    if (start.indexIn(text) < 0)
        return text;
    room = (*this)(text.toByteArray());
    return room;
}

} // namespace Feedsmith::CodePageText

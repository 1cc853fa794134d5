// Bracket escapes and transliteration.
#include "core/text/textencoding.h"

#include "core/text/plainbytes.h"

#include "core/text/textsearch.h"
#include "core/text/windows1252.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>
#include <utility>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<const char *, 128> TransliterationTable = [] {
    std::array<const char *, 128> t{};
    for (auto &e : t)
        e = "";
    auto set = [&t](int code, const char *text) { t[code - 128] = text; };
    auto range = [&set](int from, int to, const char *text) {
        for (int c = from; c <= to; ++c)
            set(c, text);
    };
    set(128, "Euro");
    set(131, "f");
    set(138, "S");
    set(140, "OE");
    set(153, "TM");
    set(154, "s");
    set(156, "oe");
    set(158, "z");
    set(159, "Y");
    set(160, " ");
    set(161, "i");
    set(162, "cent");
    set(163, "Pfund");
    set(165, "Yen");
    set(169, "c");
    set(170, "a");
    set(174, "r");
    set(175, "-");
    set(177, "+-");
    set(183, ".");
    set(188, "1/4");
    set(189, "1/2");
    set(190, "3/4");
    range(192, 195, "A");
    set(196, "Ae");
    set(197, "A");
    set(198, "A");
    set(199, "C");
    range(200, 203, "E");
    range(204, 207, "I");
    set(208, "D");
    set(209, "N");
    range(210, 213, "O");
    set(214, "Oe");
    set(215, "x");
    set(216, "0");
    range(217, 219, "U");
    set(220, "Ue");
    set(221, "Y");
    set(223, "ss");
    range(224, 227, "a");
    set(228, "ae");
    set(229, "a");
    set(230, "ae");
    set(231, "c");
    range(232, 235, "e");
    range(236, 239, "i");
    set(241, "n");
    range(242, 245, "o");
    set(246, "oe");
    range(249, 251, "u");
    set(252, "ue");
    set(253, "y");
    set(255, "y");
    return t;
}();

// The upper-half code of a character, or -1 for ASCII and for characters outside the code page.
inline int upperCode(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return -1;
    if (u >= 0xA0 && u <= 0xFF)
        return u;
    const int code = Windows1252::code(char32_t(u));
    return code >= 128 ? code : -1;
}

// In code page bytes every byte of the upper half is a character of its own.
inline int upperCode(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x80 ? b : -1;
}

// The replacement of every upper-half code in the form of the text being transliterated, made
// once: handing one out copies no characters.
template<typename Text>
const Text &replacementText(int code)
{
    static const std::array<Text, 128> texts = [] {
        std::array<Text, 128> t;
        for (int c = 128; c < 256; ++c) {
            const QLatin1StringView r = TransliterationFor(c);
            t[size_t(c - 128)] = Text(r);
        }
        return t;
    }();
    return texts[size_t(code - 128)];
}

// As text, of static storage and taken as it stands: copies share no counter, which threads
// transliterating side by side would otherwise fight over.
template<>
const QString &replacementText<QString>(int code)
{
    struct Texts
    {
        std::array<std::array<char16_t, 8>, 128> units{};
        std::array<QString, 128> texts;
        Texts()
        {
            for (int c = 128; c < 256; ++c) {
                const QLatin1StringView r = TransliterationFor(c);
                auto &u = units[size_t(c - 128)];
                std::copy(r.begin(), r.end(), u.begin());
                texts[size_t(c - 128)] = QString::fromRawData(reinterpret_cast<const QChar *>(u.data()), r.size());
            }
        }
    };
    static const Texts texts;
    return texts.texts[size_t(code - 128)];
}

// Where the next character with an upper-half code stands, from i on; n when there is none.
qsizetype nextUpper(const QString &text, qsizetype i)
{
    const qsizetype n = text.size();
    while (i < n && upperCode(text[i]) < 0)
        ++i;
    return i;
}

qsizetype nextUpper(const char *data, qsizetype n, qsizetype i)
{
    // Eight bytes at a time while none of them has its high bit set.
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        if (word & 0x8080808080808080ull)
            break;
    }
    while (i < n && upperCode(data[i]) < 0)
        ++i;
    return i;
}

qsizetype nextUpper(QByteArrayView text, qsizetype i)
{
    return nextUpper(text.constData(), text.size(), i);
}

// The bytes the transliteration builds. Its fast loop writes straight into room made in
// advance (extend, then finishAt).
class ByteText
{
public:
    ByteText() = default;
    ByteText(const char *data, qsizetype n)
        : m_bytes(data, n)
    { }
    // Text of static storage, taken as it stands: copies of it share no counter, which threads
    // transliterating side by side would otherwise fight over.
    explicit ByteText(QLatin1StringView text)
        : m_bytes(QByteArray::fromRawData(text.data(), text.size()))
    { }
    // Empty, in the storage of `room`, whose capacity it keeps.
    static ByteText inRoom(QByteArray &&room)
    {
        ByteText text;
        text.m_bytes = std::move(room);
        text.m_bytes.truncate(0);
        return text;
    }

    qsizetype size() const { return m_bytes.size(); }
    const char *constData() const { return m_bytes.constData(); }
    char operator[](qsizetype i) const { return m_bytes.at(i); }
    char &operator[](qsizetype i) { return m_bytes[i]; }
    auto begin() const { return m_bytes.cbegin(); }
    auto end() const { return m_bytes.cend(); }

    void reserve(qsizetype n) { m_bytes.reserve(n); }
    void append(const char *data, qsizetype n) { m_bytes.append(data, n); }
    void truncate(qsizetype n) { m_bytes.truncate(n); }
    ByteText mid(qsizetype from) const { return ByteText(constData() + from, size() - from); }
    ByteText &operator+=(char c)
    {
        m_bytes.append(c);
        return *this;
    }
    ByteText &operator+=(const ByteText &other)
    {
        m_bytes.append(other.m_bytes);
        return *this;
    }
    friend ByteText operator+(ByteText a, const ByteText &b) { return a += b; }

    // Room for at most n more bytes behind the text; finishAt(end) keeps what was written up to end.
    char *extend(qsizetype n)
    {
        const qsizetype old = m_bytes.size();
        m_bytes.resize(old + n);
        return m_bytes.data() + old;
    }
    void finishAt(const char *end) { m_bytes.truncate(end - m_bytes.constData()); }

    QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};

qsizetype nextUpper(const ByteText &text, qsizetype i)
{
    return nextUpper(text.constData(), text.size(), i);
}

// The letter class of an upper-half code: both cases of a letter share one class.
constexpr int letterClass(int code)
{
    switch (code) {
    case 138: return 154; // S with caron
    case 140: return 156; // OE ligature
    case 142: return 158; // Z with caron
    case 159: return 255; // Y with diaeresis
    default: break;
    }
    if (code >= 192 && code <= 222 && code != 215)
        return code + 32;
    return code;
}

// The longest replacement text ("Pfund").
constexpr qsizetype MaxReplacement = 5;
static_assert([] {
    qsizetype longest = 0;
    for (const char *text : TransliterationTable)
        longest = std::max(longest, qsizetype(std::char_traits<char>::length(text)));
    return longest;
}() == MaxReplacement);

// letterClass of every byte of the upper half.
constexpr std::array<int, 256> ClassOfByte = [] {
    std::array<int, 256> t{};
    for (int b = 128; b < 256; ++b)
        t[size_t(b)] = letterClass(b);
    return t;
}();

// The bytes of each letter class (at most two; 0 for none).
constexpr std::array<std::array<int, 2>, 256> ClassMembers = [] {
    std::array<std::array<int, 2>, 256> members{};
    for (int b = 128; b < 256; ++b) {
        auto &m = members[size_t(ClassOfByte[size_t(b)])];
        m[m[0] == 0 ? 0 : 1] = b;
    }
    return members;
}();

// A byte as the fast loop of the transliteration writes it, padded to eight bytes.
struct FastByte
{
    std::array<char, 8> text{};
    qsizetype size = 0;
    bool known = false;
};

// Every ASCII byte stands for itself; the upper half is unknown until its class is replaced.
constexpr std::array<FastByte, 256> AsciiFastBytes = [] {
    std::array<FastByte, 256> t{};
    for (int b = 0; b < 128; ++b) {
        t[size_t(b)].text[0] = char(b);
        t[size_t(b)].size = 1;
        t[size_t(b)].known = true;
    }
    return t;
}();

} // namespace

QLatin1StringView TransliterationFor(int code)
{
    if (code < 128 || code > 255)
        return {};
    return QLatin1StringView(TransliterationTable[code - 128]);
}

QString EscapeText(const QString &text)
{
    // The five replacements cannot create input for one another, so one pass does them all;
    // the text between two special characters is copied in one piece.
    QString out;
    out.reserve(text.size() + text.size() / 8);
    const QChar *data = text.constData();
    const qsizetype n = text.size();
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        QLatin1StringView replacement;
        switch (data[i].unicode()) {
        case u'<': replacement = QLatin1StringView("[["); break;
        case u'>': replacement = QLatin1StringView("]]"); break;
        case u',': replacement = QLatin1StringView("[:bst:]"); break;
        case u'\n':
        case u'\r': replacement = QLatin1StringView(""); break;
        default: continue;
        }
        out.append(data + runStart, i - runStart);
        out += replacement;
        runStart = i + 1;
    }
    out.append(data + runStart, n - runStart);
    return out;
}

QString OneLine(const QString &value)
{
    if (!value.contains(u'\r') && !value.contains(u'\n'))
        return value;
    QString out = value;
    out.replace("\r\n"_L1, " "_L1);
    out.replace(u'\r', u' ');
    out.replace(u'\n', u' ');
    return out;
}

QString UnescapeText(const QString &text)
{
    // Order matters here ("[[:bst:]" must become "<:bst:]"), so the steps run one after another.
    QString out = replaceAll(replaceAll(text, u"[[", u"<"), u"]]", u">");
    out = replaceAllIgnoringCase(out, u"[:bst:]", u",");
    if (out.contains(u'\n'))
        out.remove(u'\n');
    if (out.contains(u'\r'))
        out.remove(u'\r');
    return out;
}

QString UnescapeStoredBody(const QString &text)
{
    // The escapes are undone between the references, which stand for text of their own.
    if (!text.contains(u'&'))
        return UnescapeText(text);
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(u'&'); at >= 0; at = text.indexOf(u'&', at + 1)) {
        const BodyReference reference = bodyReferenceAt(QStringView(text), at);
        if (reference.length == 0)
            continue;
        out += UnescapeText(text.mid(from, at - from));
        out += QLatin1Char(reference.character);
        from = at + reference.length;
        at = from - 1;
    }
    out += UnescapeText(text.mid(from));
    return out;
}

namespace {

// Pass 1 walks the positions 0 .. L-1 of a text that changes under it: whenever the character at
// the position has an upper-half code, every character of its letter class in the whole text is
// replaced at once. Doing that literally costs a full rescan per distinct character; instead the
// text is kept as three parts that together always equal the text as it stands:
//   out   - the positions already passed, in their current form;
//   pend  - a short run of characters in current form (replacement texts, or characters that a
//           longer replacement pushed back past the scan position);
//   rest  - the untouched tail of the input, replaced lazily as it is read.
// A replacement only rewrites `out` when it holds a character of that class, which happens only
// after a deletion made the scan skip a character; that is rare, and counted exactly.
template<typename Text, typename Input>
Text transliterate(const Input &text, Text out = Text())
{
    using Char = std::remove_cvref_t<decltype(text[0])>;
    const qsizetype n = text.size();
    qsizetype first = 0;
    first = nextUpper(text, first);
    if (first == n) {
        if constexpr (std::is_same_v<Text, Input>)
            return text;
        else
            return Text(text.constData(), n);
    }

    std::array<bool, 256> replaced{};
    // The replacement of each class replaced so far, one of replacementText's: read only where
    // `replaced` says so, and made without a copy of a text.
    std::array<const Text *, 256> replacement;
    std::array<qsizetype, 256> skippedInOut{};
    // What the fast loop on bytes writes for each byte: ASCII itself, and the letters of the
    // classes replaced so far their replacement; the others stop it.
    [[maybe_unused]] auto fast = [] {
        if constexpr (std::is_same_v<Text, ByteText>)
            return AsciiFastBytes;
        else
            return 0;
    }();

    // Bytes: room for the fast loop's longest outcome from the start, so that it never moves
    // what it wrote (the result lives only until the writer has copied it).
    if constexpr (std::is_same_v<Text, ByteText>)
        out.reserve(n * MaxReplacement + 8);
    else
        out.reserve(n + n / 8);
    out.append(text.constData(), first);
    Text pend;
    qsizetype pendPos = 0;
    qsizetype r = first;

    auto peek = [&](Char &ch) -> bool {
        for (;;) {
            if (pendPos < pend.size()) {
                ch = std::as_const(pend)[pendPos]; // reading must not copy a shared replacement
                return true;
            }
            if (r >= n)
                return false;
            const Char t = text[r];
            const int code = upperCode(t);
            if (code >= 0 && replaced[letterClass(code)]) {
                pend = *replacement[letterClass(code)];
                pendPos = 0;
                ++r;
                continue;
            }
            ch = t;
            return true;
        }
    };
    auto take = [&] {
        if (pendPos < pend.size())
            ++pendPos;
        else
            ++r;
    };
    // Moves the character at the scan position into `out` without examining it.
    auto pass = [&]() -> bool {
        Char ch;
        if (!peek(ch))
            return false;
        take();
        out += ch;
        if (const int code = upperCode(ch); code >= 0)
            ++skippedInOut[letterClass(code)];
        return true;
    };
    auto replaceClass = [&](const Text &s, int cls) {
        Text result;
        result.reserve(s.size());
        for (const Char c : s) {
            const int code = upperCode(c);
            if (code >= 0 && letterClass(code) == cls)
                result += *replacement[cls];
            else
                result += c;
        }
        return result;
    };

    const qsizetype length = n;
    qsizetype p = first;
    while (p < length) {
        if constexpr (std::is_same_v<Text, ByteText>) {
            // Bytes: plain runs and letters already replaced, straight from the input, in a tight
            // loop that leaves the rest (a letter seen for the first time) to the steps below.
            if (pendPos >= pend.size()) {
                const auto *src = reinterpret_cast<const unsigned char *>(text.constData());
                // No byte gives more than MaxReplacement bytes; replacements are copied eight
                // bytes at a time.
                char *const begin = out.extend((n - r) * MaxReplacement + 8);
                char *o = begin;
                while (r < n && p < length) {
#ifdef __SSE2__
                    // Sixteen bytes copied at a time, kept up to the first one beyond ASCII.
                    if (r + 16 <= n && p + 16 <= length) {
                        // The high bit of each byte marks the bytes beyond ASCII.
                        const int plain = PlainBytes::copySixteen(src + r, o, [](__m128i v) { return v; });
                        o += plain;
                        p += plain;
                        r += plain;
                        if (plain == 16)
                            continue;
                    }
#endif
                    const FastByte &with = fast[src[r]];
                    if (!with.known) {
                        // A letter seen for the first time whose class has no letter among the
                        // positions passed, and a replacement of at least one character: the
                        // replacement stands at the scan position as if the class had been
                        // replaced before, and the steps below would only take it character
                        // by character. The others (a deletion, which leaves the character
                        // behind it unexamined) take those steps.
                        const int cls = ClassOfByte[src[r]];
                        const Text &replacementOfClass = replacementText<Text>(src[r]);
                        if (replacementOfClass.size() == 0 || skippedInOut[size_t(cls)] > 0 || o - out.constData() != p)
                            break;
                        replaced[size_t(cls)] = true;
                        replacement[size_t(cls)] = &replacementOfClass;
                        for (const int b : ClassMembers[size_t(cls)]) {
                            if (b > 0) {
                                std::copy(replacementOfClass.begin(), replacementOfClass.end(),
                                          fast[size_t(b)].text.begin());
                                fast[size_t(b)].size = replacementOfClass.size();
                                fast[size_t(b)].known = true;
                            }
                        }
                        continue; // the byte is known now
                    }
                    std::memcpy(o, with.text.data(), 8);
                    o += with.size;
                    p += with.size;
                    ++r;
                }
                out.finishAt(o);
                if (r >= n)
                    break; // nothing is pending either
                if (p >= length)
                    continue;
            }
        }
        if (pendPos >= pend.size() && r < n) {
            // A letter already replaced, straight from the input: its replacement is passed
            // whole, as the characters of it would be one by one (none has an upper-half code).
            if (const int code = upperCode(text[r]); code >= 0 && replaced[letterClass(code)]) {
                const Text &with = *replacement[letterClass(code)];
                out += with;
                p += with.size();
                ++r;
                continue;
            }
        }
        Char ch;
        if (!peek(ch))
            break;
        const int code = upperCode(ch);
        if (code < 0) {
            if (pendPos < pend.size()) {
                take();
                out += ch;
                ++p;
                continue;
            }
            // A run of plain characters straight from the input, up to the end of the scan.
            const qsizetype limit = r + (length - p);
            const qsizetype j = std::min({nextUpper(text, r + 1), limit, n});
            out.append(text.constData() + r, j - r);
            p += j - r;
            r = j;
            continue;
        }
        // Replace every occurrence of this letter, in both cases, in the whole text.
        take();
        const int cls = letterClass(code);
        replaced[cls] = true;
        replacement[cls] = &replacementText<Text>(code);
        if constexpr (std::is_same_v<Text, ByteText>) {
            const Text &with = *replacement[cls];
            for (const int b : ClassMembers[size_t(cls)]) {
                if (b > 0) {
                    std::copy(with.begin(), with.end(), fast[size_t(b)].text.begin());
                    fast[size_t(b)].size = with.size();
                    fast[size_t(b)].known = true;
                }
            }
        }
        if (pendPos < pend.size())
            pend = *replacement[cls] + replaceClass(pend.mid(pendPos), cls);
        else
            pend = *replacement[cls];
        pendPos = 0;
        if (skippedInOut[cls] > 0) {
            out = replaceClass(out, cls);
            skippedInOut[cls] = 0;
        }
        if (out.size() > p) {
            // A longer replacement before the scan position pushes text back past it.
            const Text tail = out.mid(p);
            out.truncate(p);
            for (const Char c : tail) {
                if (const int k = upperCode(c); k >= 0)
                    --skippedInOut[letterClass(k)];
            }
            pend = tail + pend;
        }
        bool ended = false;
        while (out.size() < p && !ended)
            ended = !pass();
        // The character now standing at the scan position is not examined.
        if (ended || !pass())
            break;
        ++p;
    }

    // What is left of the text, in its current form.
    out.append(pend.constData() + pendPos, pend.size() - pendPos);
    while (r < n) {
        const qsizetype j = nextUpper(text, r);
        out.append(text.constData() + r, j - r);
        r = j;
        if (r == n)
            break;
        const int code = upperCode(text[r]);
        if (replaced[letterClass(code)])
            out += *replacement[letterClass(code)];
        else
            out += text[r];
        ++r;
    }

    // Pass 2: whatever upper-half character survived becomes "_".
    Char underscore;
    if constexpr (std::is_same_v<Char, QChar>)
        underscore = u'_';
    else
        underscore = '_';
    for (qsizetype i = nextUpper(out, 0); i < out.size(); i = nextUpper(out, i + 1))
        out[i] = underscore;
    return out;
}

} // namespace

QString Transliterate(const QString &text)
{
    return transliterate<QString>(text);
}

QByteArray TransliterateCodePage(const QByteArray &bytes)
{
    if (nextUpper(QByteArrayView(bytes), 0) == bytes.size())
        return bytes;
    return transliterate<ByteText>(QByteArrayView(bytes)).take();
}

QByteArrayView TransliterateCodePage(QByteArrayView bytes, QByteArray &room)
{
    if (nextUpper(bytes, 0) == bytes.size())
        return bytes;
    room = transliterate<ByteText>(bytes, ByteText::inRoom(std::move(room))).take();
    return room;
}

} // namespace Feedsmith

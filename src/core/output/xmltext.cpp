// XML-safe text for the RSS file.
#include "core/output/xmltext.h"

#include "core/text/codepagetext.h"
#include "core/text/plainbytes.h"
#include "core/text/textsearch.h"
#include "core/text/windows1252.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstring>

namespace Feedsmith::XmlText {

using namespace Qt::StringLiterals;

bool isAllowed(char32_t cp)
{
    if (cp < 0x20)
        return cp == 0x9 || cp == 0xA || cp == 0xD;
    if (cp <= 0xD7FF)
        return true;
    if (cp >= 0xE000 && cp <= 0xFFFD)
        return true;
    return cp >= 0x10000 && cp <= 0x10FFFF;
}

namespace {

// Where the next forbidden character or lone surrogate half starts, from i on; n when none.
qsizetype nextForbidden(QStringView text, qsizetype i)
{
    const qsizetype n = text.size();
    for (; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u >= 0x20 && u < 0xD800)
            continue; // the common case
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i;
            continue;
        }
        if (QChar::isSurrogate(u) || !isAllowed(u))
            return i;
    }
    return n;
}

} // namespace

QString dropForbidden(QStringView text)
{
    qsizetype bad = nextForbidden(text, 0);
    if (bad == text.size())
        return text.toString();
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (bad < text.size()) {
        out += text.mid(from, bad - from);
        from = bad + 1;
        bad = nextForbidden(text, from);
    }
    out += text.mid(from);
    return out;
}

namespace {

// The length of a reference starting at text[i] == '&' that a parser resolves by itself, or 0.
qsizetype resolvableReference(QStringView text, qsizetype i)
{
    const qsizetype n = text.size();
    qsizetype j = i + 1;
    if (j < n && text[j] == u'#') {
        ++j;
        const bool hex = j < n && text[j] == u'x';
        if (hex)
            ++j;
        const qsizetype digitsStart = j;
        quint64 value = 0;
        while (j < n && j - digitsStart < 10) {
            const char16_t c = text[j].unicode();
            int d = -1;
            if (c >= u'0' && c <= u'9')
                d = c - u'0';
            else if (hex && c >= u'a' && c <= u'f')
                d = c - u'a' + 10;
            else if (hex && c >= u'A' && c <= u'F')
                d = c - u'A' + 10;
            if (d < 0)
                break;
            value = value * (hex ? 16 : 10) + quint64(d);
            ++j;
        }
        if (j == digitsStart || j >= n || text[j] != u';')
            return 0;
        if (value > 0x10FFFF || !isAllowed(char32_t(value)))
            return 0;
        return j - i + 1;
    }
    static const QStringList predefined = {u"amp"_s, u"lt"_s, u"gt"_s, u"quot"_s, u"apos"_s};
    for (const QString &name : predefined) {
        if (text.mid(j).startsWith(name) && j + name.size() < n && text[j + name.size()] == u';')
            return name.size() + 2;
    }
    return 0;
}

} // namespace

QString escapeCharacterData(QStringView raw)
{
    const QString text = dropForbidden(raw);
    QString out;
    out.reserve(text.size() + text.size() / 16);
    const qsizetype n = text.size();
    qsizetype runStart = 0;
    auto flush = [&](qsizetype upTo) { out += QStringView(text).mid(runStart, upTo - runStart); };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'<') {
            flush(i);
            out += "&lt;"_L1;
            runStart = i + 1;
        } else if (c == u'&') {
            if (const qsizetype len = resolvableReference(text, i)) {
                i += len - 1; // the reference stays as it is
            } else {
                flush(i);
                out += "&amp;"_L1;
                runStart = i + 1;
            }
        } else if (c == u'>' && i >= 2 && text[i - 1] == u']' && text[i - 2] == u']') {
            flush(i);
            out += "&gt;"_L1;
            runStart = i + 1;
        }
    }
    flush(n);
    return out;
}

QString cdataContent(QStringView raw)
{
    return replaceAll(dropForbidden(raw), u"]]>", u"]]]]><![CDATA[>");
}

void appendReferencedCdata(QByteArray &out, QByteArrayView codePageText)
{
    // The reference of every byte beyond ASCII, made once.
    // Padded to eight bytes ("&#8364;" is the longest), so that one is written with one store.
    struct Reference
    {
        std::array<char, 8> text{};
        qsizetype size = 0;
    };
    static const std::array<Reference, 128> references = [] {
        std::array<Reference, 128> table;
        for (int b = 0x80; b < 0x100; ++b) {
            const char byte = char(b);
            const QByteArray text =
                    "&#" + QByteArray::number(Windows1252::decode(QByteArrayView(&byte, 1)).at(0).unicode()) + ';';
            Reference &r = table[size_t(b - 0x80)];
            std::copy(text.cbegin(), text.cend(), r.text.begin());
            r.size = text.size();
        }
        return table;
    }();
    // What ends a run copied as it is: a byte beyond ASCII, a control character, "]" and ">".
    static const std::array<bool, 256> stops = [] {
        std::array<bool, 256> table{};
        for (int b = 0; b < 0x100; ++b)
            table[size_t(b)] = b >= 0x80 || b < 0x20 || b == ']' || b == '>';
        return table;
    }();
    const auto *src = reinterpret_cast<const unsigned char *>(codePageText.data());
    const qsizetype n = codePageText.size();
    // Written a part at a time into room for the longest outcome (a split section end, 13 bytes
    // for a ">"), then appended; the room is kept for the next text, and `out` grows only by
    // what is written.
    constexpr qsizetype Part = 16 * 1024;
    thread_local QByteArray room(Part * 13 + 16, Qt::Uninitialized);
    int brackets = 0; // the "]" written last in a row, controls dropped between them not counted
    for (qsizetype partStart = 0; partStart < n; partStart += Part) {
        const qsizetype partEnd = std::min(n, partStart + Part);
        char *const begin = room.data();
        char *dst = begin;
        const auto put = [&dst](QByteArrayView bytes) {
            std::memcpy(dst, bytes.data(), size_t(bytes.size()));
            dst += bytes.size();
        };
        for (qsizetype i = partStart; i < partEnd;) {
#ifdef __SSE2__
            // Sixteen bytes copied at a time, kept up to the first that stops a run; a ">" only
            // stops one behind "]", which a run never starts with.
            if (brackets == 0 && i + 16 <= partEnd) {
                const int plain = PlainBytes::copySixteen(src + i, dst, [](__m128i v) {
                    // Signed, the bytes beyond ASCII are below 0x20 as well.
                    return _mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(0x20)), PlainBytes::equalToAny(v, ']'));
                });
                dst += plain;
                i += plain;
                if (plain == 16)
                    continue;
            }
#endif
            const unsigned char c = src[i++];
            if (!stops[c]) {
                *dst++ = char(c);
                brackets = 0;
            } else if (c >= 0x80) {
                const Reference &r = references[c - 0x80];
                std::memcpy(dst, r.text.data(), 8);
                dst += r.size;
                brackets = 0;
            } else if (c == ']') {
                *dst++ = ']';
                ++brackets;
            } else if (c == '>') {
                // "]]>" would end the section: it is split into two.
                put(brackets >= 2 ? QByteArrayView("]]><![CDATA[>") : QByteArrayView(">"));
                brackets = 0;
            } else if (c == '\t' || c == '\n' || c == '\r') {
                *dst++ = char(c);
                brackets = 0;
            } // other control characters are not allowed in XML: they go
        }
        out.append(begin, dst - begin);
    }
}

} // namespace Feedsmith::XmlText

// The Windows-1252 table and conversions.
#include "core/text/windows1252.h"

#include <array>

namespace Feedsmith::Windows1252 {

namespace {

// Characters of the bytes 0x80 to 0x9F; the unassigned bytes map to the control characters
// of the same number, as the system conversion does.
constexpr std::array<char16_t, 32> HighControls = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int highCode(char32_t cp)
{
    for (int i = 0; i < int(HighControls.size()); ++i) {
        if (HighControls[i] == cp)
            return 0x80 + i;
    }
    return -1;
}

void appendReference(QByteArray &out, char32_t cp)
{
    out += "&#";
    out += QByteArray::number(quint32(cp));
    out += ';';
}

} // namespace

int code(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    return highCode(cp);
}

constexpr std::array<char16_t, 256> DecodeTable = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b)
        t[size_t(b)] = (b >= 0x80 && b < 0xA0) ? HighControls[size_t(b - 0x80)] : char16_t(b);
    return t;
}();

void decodeInto(QChar *out, QByteArrayView bytes)
{
    auto *units = reinterpret_cast<char16_t *>(out);
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i)
        units[i] = DecodeTable[data[i]];
}

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    decodeInto(text.data(), bytes);
    return text;
}

void appendEncoded(QByteArray &out, QStringView text)
{
    const qsizetype n = text.size();
    const QChar *data = text.data();
    qsizetype i = 0;
    while (i < n) {
        // Runs of ASCII are by far the common case.
        qsizetype j = i;
        while (j < n && data[j].unicode() < 0x80)
            ++j;
        if (j > i) {
            const qsizetype start = out.size();
            out.resize(start + (j - i));
            char *dst = out.data() + start;
            for (qsizetype k = i; k < j; ++k)
                *dst++ = char(data[k].unicode());
            i = j;
            if (i == n)
                break;
        }
        const char16_t u = data[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(data[i + 1].unicode())) {
            appendReference(out, QChar::surrogateToUcs4(u, data[i + 1].unicode()));
            i += 2;
            continue;
        }
        if (QChar::isSurrogate(u)) {
            appendReference(out, 0xFFFD);
        } else if (const int c = code(char32_t(u)); c >= 0) {
            out += char(c);
        } else {
            appendReference(out, u);
        }
        ++i;
    }
}

QByteArray encode(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    appendEncoded(out, text);
    return out;
}

namespace {

bool isValueReference(char32_t value)
{
    return value == 9 || value == 32 || value == 38 || value == 60 || value == 62 || value == 91;
}

QString decodeReferences(const QString &text, bool valueReferences)
{
    // Most values hold no "&" at all, which the library's character search finds fastest.
    const auto hasReference = [&text] {
        for (qsizetype at = text.indexOf(u'&'); at >= 0 && at + 1 < text.size(); at = text.indexOf(u'&', at + 1)) {
            if (text[at + 1] == u'#')
                return true;
        }
        return false;
    };
    if (!hasReference())
        return text;
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (text[i] == u'&' && i + 2 < n && text[i + 1] == u'#') {
            qsizetype j = i + 2;
            char32_t value = 0;
            bool tooBig = false;
            while (j < n && text[j].isDigit() && text[j].unicode() < 0x80) {
                if (!tooBig) {
                    value = value * 10 + char32_t(text[j].unicode() - u'0');
                    tooBig = value > 0x10FFFF;
                }
                ++j;
            }
            const bool digits = j > i + 2;
            if (digits && !tooBig && j < n && text[j] == u';'
                && (value > 255 || (valueReferences && isValueReference(value)))
                && !(value >= 0xD800 && value <= 0xDFFF)) {
                out += QString::fromUcs4(&value, 1);
                i = j + 1;
                continue;
            }
        }
        out += text[i];
        ++i;
    }
    return out;
}

} // namespace

QString decodeHighReferences(const QString &text)
{
    return decodeReferences(text, false);
}

QString decodeValueReferences(const QString &text)
{
    return decodeReferences(text, true);
}

} // namespace Feedsmith::Windows1252

// Addresses no feed may carry.
#include "core/text/addressschemes.h"

#include "core/text/htmlentities.h"

#include <algorithm>
#include <utility>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode() | 0x20;
    return u >= u'a' && u <= u'z';
}

bool isHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// A character reference at the start of text ("&#106;", "&#x6A", "&colon;"): the character
// and the length of the reference; no length when it is none. A number needs no ';', as
// browsers read it.
std::pair<QString, qsizetype> readReference(QStringView text)
{
    if (text.startsWith(u"&#")) {
        const bool hex = text.size() > 2 && (text.at(2) == u'x' || text.at(2) == u'X');
        qsizetype i = hex ? 3 : 2;
        char32_t code = 0;
        const qsizetype digitsStart = i;
        for (; i < text.size(); ++i) {
            const char16_t u = text.at(i).unicode();
            int value = -1;
            if (u >= u'0' && u <= u'9')
                value = u - u'0';
            else if (hex && (u | 0x20) >= u'a' && (u | 0x20) <= u'f')
                value = (u | 0x20) - u'a' + 10;
            if (value < 0)
                break;
            code = std::min<char32_t>(code * (hex ? 16 : 10) + char32_t(value), 0x110000);
        }
        if (i == digitsStart)
            return {};
        if (i < text.size() && text.at(i) == u';')
            ++i;
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = 0xFFFD;
        return {QString::fromUcs4(&code, 1), i};
    }
    const qsizetype semicolon = text.left(12).indexOf(u';');
    if (semicolon < 2)
        return {};
    const QStringView name = text.sliced(1, semicolon - 1);
    // HTML's names of the characters that can spell a scheme, beside HTML 4's.
    QString character = name == "colon"_L1 ? u":"_s
            : name == "Tab"_L1             ? u"\t"_s
            : name == "NewLine"_L1         ? u"\n"_s
                                           : QString();
    if (character.isEmpty())
        character = HtmlNamedCharacter(name);
    return character.isEmpty() ? std::pair<QString, qsizetype>() : std::pair{character, semicolon + 1};
}

// The start of an attribute value with its references read, as far as a scheme reaches.
QString attributeStart(QStringView value)
{
    QString start;
    int letters = 0;
    for (qsizetype i = 0; i < value.size() && letters <= 16;) {
        auto [text, length] = value.at(i) == u'&' ? readReference(value.sliced(i)) : std::pair<QString, qsizetype>();
        if (length == 0) {
            text = value.at(i);
            length = 1;
        }
        i += length;
        start += text;
        if (text.contains(u':'))
            break;
        letters += std::count_if(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0x20; });
    }
    return start;
}

bool isAddressAttribute(QStringView name)
{
    for (const auto attribute : {"href"_L1, "src"_L1, "xlink:href"_L1, "action"_L1, "formaction"_L1}) {
        if (name.compare(attribute, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

QString UnsafeAddressScheme(QStringView address)
{
    qsizetype i = 0;
    while (i < address.size() && address.at(i).unicode() <= 0x20)
        ++i;
    // The longest scheme looked for is ten letters; a scheme starts with one.
    QString scheme;
    for (; i < address.size() && scheme.size() <= 10; ++i) {
        const QChar c = address.at(i);
        if (c == u'\t' || c == u'\n' || c == u'\r')
            continue;
        if (c == u':')
            return scheme == "javascript"_L1 || scheme == "data"_L1 || scheme == "file"_L1 ? scheme : QString();
        if (!isAsciiLetter(c))
            return {};
        scheme += QChar(c.unicode() | 0x20);
    }
    return {};
}

QString UnsafeBodyScheme(QStringView html)
{
    const qsizetype n = html.size();
    for (qsizetype i = html.indexOf(u'<'); i >= 0 && i < n; i = html.indexOf(u'<', i)) {
        if (html.sliced(i).startsWith(u"<!--")) {
            const qsizetype end = html.indexOf(u"-->", i + 4);
            if (end < 0)
                break;
            i = end + 3;
            continue;
        }
        ++i;
        if (i >= n || !isAsciiLetter(html.at(i)))
            continue;
        // The tag's name, then its attributes up to its '>'.
        while (i < n && !isHtmlSpace(html.at(i)) && html.at(i) != u'/' && html.at(i) != u'>')
            ++i;
        while (i < n && html.at(i) != u'>') {
            if (isHtmlSpace(html.at(i)) || html.at(i) == u'/') {
                ++i;
                continue;
            }
            const qsizetype nameStart = i;
            while (i < n && !isHtmlSpace(html.at(i)) && html.at(i) != u'/' && html.at(i) != u'>' && html.at(i) != u'=')
                ++i;
            const QStringView name = html.sliced(nameStart, i - nameStart);
            while (i < n && isHtmlSpace(html.at(i)))
                ++i;
            if (i >= n || html.at(i) != u'=')
                continue;
            ++i;
            while (i < n && isHtmlSpace(html.at(i)))
                ++i;
            QStringView value;
            if (i < n && (html.at(i) == u'"' || html.at(i) == u'\'')) {
                const qsizetype close = html.indexOf(html.at(i), i + 1);
                const qsizetype end = close < 0 ? n : close;
                value = html.sliced(i + 1, end - i - 1);
                i = std::min(end + 1, n);
            } else {
                const qsizetype start = i;
                while (i < n && !isHtmlSpace(html.at(i)) && html.at(i) != u'>')
                    ++i;
                value = html.sliced(start, i - start);
            }
            if (isAddressAttribute(name)) {
                const QString scheme = UnsafeAddressScheme(attributeStart(value));
                // A picture held in the body itself is common and harmless where a picture goes;
                // a page or a script made up by the address is not.
                const bool picture = scheme == "data"_L1 && name.compare("src"_L1, Qt::CaseInsensitive) == 0
                        && value.trimmed().startsWith("data:image/"_L1, Qt::CaseInsensitive)
                        && !value.trimmed().startsWith("data:image/svg"_L1, Qt::CaseInsensitive);
                if (scheme == "javascript"_L1 || (scheme == "data"_L1 && !picture))
                    return scheme;
            }
        }
    }
    return {};
}

} // namespace Feedsmith

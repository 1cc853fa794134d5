// Fuzzes the bracket escapes and the transliteration with arbitrary text.
#include "core/text/textencoding.h"
#include "core/text/windows1252.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace Feedsmith;
    // Half the inputs as UTF-16 (any character at all), half as code page bytes.
    const QString text = (size % 2 == 0 && size > 0)
            ? QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2))
            : Windows1252::decode(QByteArrayView(data, qsizetype(size)));

    const QString escaped = EscapeText(text);
    for (const QChar c : escaped) {
        if (c == u'<' || c == u'>' || c == u',' || c == u'\r' || c == u'\n')
            std::abort();
    }
    const QString unescaped = UnescapeText(escaped);
    if (unescaped.contains(u'\r') || unescaped.contains(u'\n'))
        std::abort();
    UnescapeText(text);

    const QString plain = Transliterate(text);
    for (const QChar c : plain) {
        const int code = Windows1252::code(c);
        if (code >= 128)
            std::abort();
    }
    // Characters outside the code page pass untouched.
    qsizetype outside = 0;
    for (const QChar c : text)
        outside += Windows1252::code(c) < 0;
    qsizetype outsideAfter = 0;
    for (const QChar c : plain)
        outsideAfter += Windows1252::code(c) < 0;
    if (outside != outsideAfter)
        std::abort();
    return 0;
}

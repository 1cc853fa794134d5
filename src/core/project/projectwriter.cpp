// The project file writer.
#include "core/project/projectwriter.h"

#include "core/output/rsswriter.h"
#include "core/project/datetext.h"
#include "core/text/textencoding.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

QString storedBody(const QString &content, const StyleBlockRemover &removeStyleBlocks)
{
    return EscapeText(removeStyleBlocks(Transliterate(ExtractBody(content))));
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

QString StoredBody(const QString &content, const QString &styleBlock)
{
    // A style sheet with letters outside ASCII no longer matches itself after transliteration;
    // its transliterated form is removed as well.
    return storedBody(content, StyleBlockRemover(styleBlock, Transliterate(styleBlock)));
}

QByteArray BuildProjectFile(const FeedDocument &document, const QString &styleBlock, const QLocale &locale)
{
    // Written straight into bytes: a large project is not held a second time as text.
    const char *tab = "\t";
    const char *tabs = "\t\t";
    QByteArray out;
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    out += "<settings>\r\n";
    auto fields = [&](bool channel) {
        for (const DocumentField &field : DocumentFields) {
            const QString &value = field.value(document);
            if (field.isChannelField() == channel && field.isStored() && !value.isEmpty())
                element(out, tab, field.key, value);
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
        const StyleBlockRemover removeStyleBlocks(styleBlock, Transliterate(styleBlock));
        const QString dateForm = DateText::dateFormat(locale);
        const QString timeForm = DateText::timeFormat(locale);
        out += "<entries>\r\n";
        for (int i = 1; i <= count; ++i) {
            const RSSentry &entry = document.entries.at(i);
            out += "\t<entry>\r\n";
            if (!entry.title.isEmpty())
                element(out, tabs, "title"_L1, entry.title);
            if (!entry.link.isEmpty())
                element(out, tabs, "link"_L1, entry.link);
            if (!entry.content.isEmpty())
                element(out, tabs, "content"_L1, storedBody(entry.content, removeStyleBlocks));
            element(out, tabs, "date"_L1, DateText::format(entry.createdate, locale, dateForm, timeForm));
            out += "\t</entry>\r\n";
        }
        out += "</entries>\r\n";
    }
    return out;
}

bool WriteProjectFile(const FeedDocument &document, const QString &path, const QString &programFolder,
                      QString *error, const QLocale &locale)
{
    const QString styleBlock = BuildStyleBlock(programFolder);
    return writeFileAtomically(path, BuildProjectFile(document, styleBlock, locale), error);
}

} // namespace Feedsmith

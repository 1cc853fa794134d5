// The HTML preview.
#include "core/output/preview.h"

#include "core/output/rsswriter.h"
#include "core/text/textfiles.h"
#include "core/text/windows1252.h"

#include <feedsmith/version.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <initializer_list>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr QLatin1StringView LinkStart("<a href=\"");
constexpr QLatin1StringView LinkStartEnd("\">");
constexpr QLatin1StringView LinkEnd("</a>");
constexpr QLatin1StringView ImageStart("<img src = \"");
constexpr QLatin1StringView ImageAlt("\" alt=\"");
constexpr QLatin1StringView ImageEnd("\" border = 0\">");

struct Placeholder
{
    QLatin1StringView name;
    const QString *value; // null: the placeholder stays as it stands
};

// Replaces every placeholder of a template in one pass, without regard to letter case. The
// inserted texts are never searched again, so a value that holds a placeholder's name (an
// entry titled "{DESCRIPTION}") stays as typed and the page grows only by what is inserted.
QString fillPlaceholders(const QString &text, std::initializer_list<Placeholder> placeholders)
{
    QString result;
    result.reserve(text.size());
    qsizetype copied = 0;
    qsizetype at = text.indexOf(u'{');
    while (at >= 0) {
        const Placeholder *found = nullptr;
        for (const Placeholder &p : placeholders) {
            if (QStringView(text).mid(at, p.name.size()).compare(p.name, Qt::CaseInsensitive) == 0) {
                found = &p;
                break;
            }
        }
        if (found && found->value) {
            result += QStringView(text).mid(copied, at - copied);
            result += *found->value;
            copied = at + found->name.size();
            at = text.indexOf(u'{', copied);
        } else {
            at = text.indexOf(u'{', at + 1);
        }
    }
    result += QStringView(text).mid(copied);
    return result;
}

// A value written between the double quotes of an attribute: it cannot end the attribute or
// the tag it stands in.
QString attributeValue(const QString &value)
{
    QString result;
    result.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '&': result += "&amp;"_L1; break;
        case '"': result += "&quot;"_L1; break;
        case '<': result += "&lt;"_L1; break;
        case '>': result += "&gt;"_L1; break;
        default: result += c;
        }
    }
    return result;
}

} // namespace

QString defaultPreviewPath(const QString &programFolder)
{
    // An installed program's folder belongs to the system; the user's cache folder takes the
    // page then, so that the preview still shows what was just built.
    const QFileInfo folder(programFolder);
    if (folder.isDir() && folder.isWritable())
        return programFile(programFolder, u"rsspreview.html"_s);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return programFile(cache, u"rsspreview.html"_s);
}

QString BuildPreviewPage(const FeedDocument &document, int taken, const QString &entryTemplate,
                         const QString &pageTemplate, const QString &styleBlock)
{
    const int count = document.entryCount();
    QString entries;
    for (int i = count; i > count - taken; --i) {
        const RSSentry &entry = document.entries.at(i);
        QString title;
        if (!entry.title.isEmpty()) {
            title = entry.link.isEmpty()
                    ? entry.title
                    : LinkStart + attributeValue(entry.link) + LinkStartEnd + entry.title + LinkEnd;
        }
        const QString description = entry.content.text();
        entries += fillPlaceholders(entryTemplate, {{"{TITLE}"_L1, &title}, {"{DESCRIPTION}"_L1, &description}});
    }

    const ChannelSettings &c = document.channel;
    QString feedTitle = c.title;
    if (!c.imageurl.isEmpty()) {
        feedTitle = ImageStart + attributeValue(c.imageurl) + ImageAlt + attributeValue(c.imagetitle) + ImageEnd;
        if (!c.imagelink.isEmpty())
            feedTitle = LinkStart + attributeValue(c.imagelink) + LinkStartEnd + feedTitle + LinkEnd;
    }
    // With no entries to join, "{ENTRIES}" stays in the page.
    return fillPlaceholders(pageTemplate,
                            {{"{TITLE}"_L1, &c.title},
                             {"{FEEDTITLE}"_L1, &feedTitle},
                             {"{ENTRIES}"_L1, entries.isEmpty() ? nullptr : &entries},
                             {"{STYLES}"_L1, &styleBlock}});
}

PreviewResult BuildPreview(const FeedDocument &document, const QString &programFolder, const QString &pagePath,
                           const QLocale &locale)
{
    PreviewResult result;
    const FeedItemSelection selection = FeedItemCount(document.channel, document.entryCount(), locale);
    if (selection.countValue <= 0) {
        result.ok = true;
        result.emptyPage = true;
        result.pagePath = programFile(programFolder, u"empty.html"_s);
        return result;
    }

    const QString entryTemplate = ReadTextFile(programFile(programFolder, u"entry.html"_s));
    const QString pageTemplate = ReadTextFile(programFile(programFolder, u"preview.html"_s));
    if (!document.channel.title.isEmpty())
        result.windowCaption = QLatin1StringView(Version::ProductName) + " - "_L1 + document.channel.title;
    const QString page =
            BuildPreviewPage(document, selection.taken, entryTemplate, pageTemplate, BuildStyleBlock(programFolder));

    QByteArray bytes = Windows1252::encode(page);
    bytes += "\r\n";
    if (!writeFileAtomically(pagePath, bytes, &result.error))
        return result;
    result.ok = true;
    result.pagePath = pagePath;
    return result;
}

} // namespace Feedsmith

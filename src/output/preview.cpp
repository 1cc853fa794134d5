// The HTML preview.
#include "output/preview.h"

#include "output/rsswriter.h"
#include "text/textfiles.h"
#include "text/windows1252.h"

#include <feedsmith/version.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr QLatin1StringView LinkStart("<a href=\"");
constexpr QLatin1StringView LinkStartEnd("\">");
constexpr QLatin1StringView LinkEnd("</a>");
constexpr QLatin1StringView ImageStart("<img src = \"");
constexpr QLatin1StringView ImageAlt("\" alt=\"");
constexpr QLatin1StringView ImageEnd("\" border = 0\">");

void fill(QString &text, QLatin1StringView placeholder, const QString &value)
{
    text.replace(placeholder, value, Qt::CaseInsensitive);
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

QString BuildPreviewPage(FeedDocument &document, int taken, const QString &entryTemplate,
                         const QString &pageTemplate, const QString &styleBlock)
{
    const int count = document.entryCount();
    QString entries;
    for (int i = count; i > count - taken; --i) {
        const RSSentry &entry = document.entries.at(i);
        QString copy = entryTemplate;
        QString title;
        if (!entry.title.isEmpty()) {
            title = entry.link.isEmpty() ? entry.title
                                         : LinkStart + entry.link + LinkStartEnd + entry.title + LinkEnd;
        }
        fill(copy, "{TITLE}"_L1, title);
        fill(copy, "{DESCRIPTION}"_L1, entry.content);
        entries += copy;
    }

    const ChannelSettings &c = document.channel;
    QString page = pageTemplate;
    fill(page, "{TITLE}"_L1, c.title);
    QString feedTitle = c.title;
    if (!c.imageurl.isEmpty()) {
        feedTitle = ImageStart + c.imageurl + ImageAlt + c.imagetitle + ImageEnd;
        if (!c.imagelink.isEmpty())
            feedTitle = LinkStart + c.imagelink + LinkStartEnd + feedTitle + LinkEnd;
    }
    fill(page, "{FEEDTITLE}"_L1, feedTitle);
    if (!entries.isEmpty())
        fill(page, "{ENTRIES}"_L1, entries);
    fill(page, "{STYLES}"_L1, styleBlock);
    return page;
}

PreviewResult BuildPreview(FeedDocument &document, const QString &programFolder, const QString &pagePath,
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

    document.LoadSelectedEntry();
    const QString entryTemplate = ReadTextFile(programFile(programFolder, u"entry.html"_s));
    const QString pageTemplate = ReadTextFile(programFile(programFolder, u"preview.html"_s));
    if (!document.channel.title.isEmpty())
        result.windowCaption = QLatin1StringView(Version::ProductName) + " - "_L1 + document.channel.title;
    const QString page = BuildPreviewPage(document, selection.taken, entryTemplate, pageTemplate,
                                          BuildStyleBlock(programFolder));

    QByteArray bytes = Windows1252::encode(page);
    bytes += "\r\n";
    if (!writeFileAtomically(pagePath, bytes, &result.error))
        return result;
    result.ok = true;
    result.pagePath = pagePath;
    return result;
}

} // namespace Feedsmith

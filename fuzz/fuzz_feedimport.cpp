// Fuzzes the feed importer: any bytes give an error or a consistent document, and the RSS file
// written from that document imports again with the same items.
#include "core/document/feeddocument.h"
#include "core/import/feedimport.h"
#include "core/output/rsswriter.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace Feedsmith;
    static const QDateTime now(QDate(2026, 12, 8), QTime(5, 0));
    static const QString styleBlock = QStringLiteral("<style type=text/css><!--p{}--></style>");
    ImportedFeed feed;
    QString error;
    if (!ParseFeed(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), now, &feed, &error)) {
        if (error.isEmpty())
            std::abort(); // a refusal always says why
        return 0;
    }
    const QList<RSSentry> items = feed.items;
    FeedDocument document;
    LoadImportedFeed(document, feed, KeyedTexts(), styleBlock);
    if (document.entryCount() != items.size() || !document.changed)
        std::abort();
    if (document.tree.childCount(EntryTreeModel::RootKey) != document.entryCount())
        std::abort();
    // Our own RSS always imports again, with every item it holds.
    const QByteArray rss = BuildRssFile(document, styleBlock, now, QLocale::c());
    ImportedFeed again;
    if (!ParseFeed(rss, now, &again, &error))
        std::abort();
    if (again.items.size() != document.entryCount())
        std::abort();
    // A link of plain printable ASCII comes back exactly (others are transliterated, and the
    // writer takes a "&" that starts a reference as one the user typed).
    for (qsizetype i = 0; i < again.items.size(); ++i) {
        const QString &link = items.at(i).link;
        const bool plain = std::all_of(link.cbegin(), link.cend(), [](QChar c) { return c >= u' ' && c < QChar(127); });
        if (plain && !link.contains(u'&') && again.items.at(i).link != link)
            std::abort();
    }
    return 0;
}

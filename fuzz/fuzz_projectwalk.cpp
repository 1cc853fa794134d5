// Fuzzes the project reading walk: any rows give a consistent document and tree.
#include "core/document/feeddocument.h"
#include "core/project/projectreader.h"
#include "core/text/markupreader.h"
#include "core/text/windows1252.h"

#include <QCoreApplication>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace Feedsmith;
    static KeyedTexts texts = [] {
        KeyedTexts t;
        t.insert(QStringLiteral("rootkey"), QStringLiteral("My feed"));
        t.insert(QStringLiteral("newentry"), QStringLiteral("New entry"));
        return t;
    }();
    MarkupTable table = ParseMarkup(Windows1252::decode(QByteArrayView(data, qsizetype(size))));
    table.setFileOpened(true);
    FeedDocument document;
    NewDocument(document);
    const ProjectReadResult result = LoadProjectRows(
            document, table, texts, QStringLiteral("<style type=text/css><!--p{}--></style>"), QLocale::c());
    // Every entry has its node under the root, newest first, and nothing else is in the tree.
    if (result.entriesRead != document.entryCount())
        std::abort();
    if (document.tree.childCount(EntryTreeModel::RootKey) != document.entryCount())
        std::abort();
    const QStringList keys = document.tree.childKeys(EntryTreeModel::RootKey);
    for (int i = 0; i < keys.size(); ++i) {
        if (keys.at(i) != EntryCollection::keyFor(document.entryCount() - i))
            std::abort();
    }
    if (!document.currentEntryKey.isEmpty())
        std::abort();
    return 0;
}

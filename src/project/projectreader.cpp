// The project file reader.
#include "project/projectreader.h"

#include "project/datetext.h"
#include "text/textencoding.h"
#include "text/textfiles.h"
#include "text/windows1252.h"

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

struct PathParts
{
    QString folder;
    QString name;
};

PathParts splitPath(const QString &path)
{
    const qsizetype cut = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    if (cut < 0)
        return {QString(), path};
    return {path.left(cut + 1), path.mid(cut + 1)};
}

// Plain values of the project file: references to characters above 255 come back as characters.
QString plainValue(const QString &value)
{
    return Windows1252::decodeHighReferences(value);
}

} // namespace

ProjectReadResult LoadProjectRows(FeedDocument &document, const MarkupTable &table, const KeyedTexts &textTable,
                                  const QString &styleBlock, const QLocale &locale)
{
    ProjectReadResult result;
    result.fileOpened = table.fileOpened();
    EntryTreeModel &tree = document.tree;
    tree.beginBulkChange();

    if (textTable.contains(u"rootkey"_s)) {
        tree.addTopLevel(EntryTreeModel::RootKey, textTable.value(u"rootkey"_s));
        tree.setExpanded(EntryTreeModel::RootKey, true);
    }
    const QString newEntryText = textTable.value(u"newentry"_s);
    const bool hasNewEntryText = textTable.contains(u"newentry"_s);
    const DateText::Reader dates(locale);

    bool inSettings = false;
    bool inFtp = false;
    bool inEntries = false;
    bool inEntry = false;
    RSSentry record;

    auto addRecord = [&] {
        if (document.entries.isFull()) {
            ++result.entriesLeftOut;
            return;
        }
        if (record.title.isEmpty() && hasNewEntryText)
            record.title = newEntryText;
        const int n = document.entryCount() + 1;
        const QString key = EntryCollection::keyFor(n);
        const QString caption = EntryCaption(record, newEntryText);
        if (n == 1)
            tree.add(EntryTreeModel::RootKey, EntryTreeModel::Child, key, caption);
        else
            tree.add(EntryCollection::keyFor(n - 1), EntryTreeModel::FirstSibling, key, caption);
        document.entries.append(std::move(record));
        ++result.entriesRead;
    };

    const qsizetype last = table.lastRowIndex();
    for (qsizetype r = 0; r <= last; ++r) {
        const MarkupRow &row = table.row(r);
        if (row.isEmpty())
            continue;
        const QString &name = row.name;
        const QString &closing = row.closing;
        if (name == "settings"_L1)
            inSettings = true;
        if (closing == "settings"_L1)
            inSettings = false;
        if (name == "ftpsettings"_L1)
            inFtp = true;
        if (closing == "ftpsettings"_L1)
            inFtp = false;
        if (name == "entries"_L1)
            inEntries = true;
        if (closing == "entries"_L1)
            inEntries = false;
        if (inSettings) {
            for (const auto &field : ChannelFields) {
                if (name == field.tag)
                    document.channel.*field.member = plainValue(row.value);
            }
        }
        if (inFtp) {
            for (const auto &field : StoredFtpFields) {
                if (name == field.tag)
                    document.ftp.*field.member = plainValue(row.value);
            }
        }
        if (inEntries) {
            if (name == "entry"_L1) {
                inEntry = true;
                record = RSSentry{};
            }
            if (closing == "entry"_L1) {
                addRecord();
                inEntry = false;
                record = RSSentry{};
            }
            if (inEntry) {
                if (name == "title"_L1) {
                    record.title = plainValue(row.value);
                } else if (name == "link"_L1) {
                    record.link = plainValue(row.value);
                } else if (name == "content"_L1) {
                    record.content = styleBlock + UnescapeText(row.value);
                } else if (name == "date"_L1) {
                    const QDateTime date = dates.read(row.value);
                    record.createdate = date.isValid() ? date : zeroDate();
                }
            }
        }
    }

    if (!document.channel.title.isEmpty())
        tree.setCaption(EntryTreeModel::RootKey, document.channel.title);
    document.currentEntryKey.clear();
    tree.endBulkChange();
    return result;
}

QString projectFileToRead(const QString &path)
{
    const PathParts parts = splitPath(path);
    return MarkupFilePath(parts.folder, parts.name);
}

ProjectReadResult ReadProjectFile(FeedDocument &document, const QString &path, const QString &programFolder,
                                  const KeyedTexts &textTable, const QLocale &locale)
{
    NewDocument(document);
    document.projectPath = path;
    const PathParts parts = splitPath(path);
    const MarkupTable table = ReadMarkupFile(parts.folder, parts.name);
    return LoadProjectRows(document, table, textTable, BuildStyleBlock(programFolder), locale);
}

} // namespace Feedsmith

// The rules of the entry list.
#include "core/entries/entryoperations.h"

#include "core/document/entryfields.h"

#include "core/project/datetext.h"

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

QString CreateEntry(FeedDocument &document, const QDateTime &now, const QString &rootkeyText)
{
    EntryCollection &entries = document.entries;
    EntryTreeModel &tree = document.tree;
    if (entries.isFull())
        return EntryCollection::keyFor(entries.count());
    RSSentry entry;
    entry.createdate = now;
    entry.guid = NewEntryId(); // for good: edits, moves and deletes of others never change it
    tree.addRoot(rootkeyText);
    tree.appendEntry(std::move(entry));
    return EntryCollection::keyFor(entries.count());
}

QString DuplicateEntry(FeedDocument &document, const QString &key, const QDateTime &now)
{
    const int number = EntryCollection::numberOf(key);
    const RSSentry *original = document.entries.find(key);
    if (!original || number < 1 || document.entries.isFull())
        return {};
    RSSentry copy = *original;
    copy.createdate = now;
    copy.unreadDate.clear();
    copy.guid = NewEntryId(); // readers must not take the copy for the entry
    copy.guidpermalink.clear();
    document.tree.appendEntry(std::move(copy));
    MoveEntryTo(document, document.entries.count(), number);
    return EntryCollection::keyFor(number);
}

bool DeleteEntry(FeedDocument &document, const QString &key)
{
    if (!document.tree.removeEntry(EntryCollection::numberOf(key)))
        return false;
    document.currentEntryKey.clear();
    return true;
}

int NumberAfterMove(int number, int from, int to)
{
    if (number == from)
        return to;
    if (from < to && number > from && number <= to)
        return number - 1;
    if (to < from && number >= to && number < from)
        return number + 1;
    return number;
}

bool MoveEntryTo(FeedDocument &document, int from, int to)
{
    if (!document.tree.moveEntry(from, to))
        return false;
    const int current = EntryCollection::numberOf(document.currentEntryKey);
    if (current > 0)
        document.currentEntryKey = EntryCollection::keyFor(NumberAfterMove(current, from, to));
    return true;
}

bool CommitCurrentEntry(FeedDocument &document, const EditorFields &fields)
{
    RSSentry *entry = document.entries.find(document.currentEntryKey);
    if (!entry)
        return false;
    if (entry->title != fields.entry.title) {
        entry->title = fields.entry.title;
        document.tree.entryChanged(EntryCollection::numberOf(document.currentEntryKey));
    }
    entry->link = fields.entry.link;
    for (const EntryField &field : EntryFields)
        field.value(*entry) = field.value(fields.entry);
    if (fields.contentEdited)
        entry->content = fields.entry.content;
    return true;
}

LoadedEntry SelectEntry(FeedDocument &document, const QString &selectedKey, const EditorFields &editor,
                        const QString &styleBlock)
{
    if (!document.currentEntryKey.isEmpty())
        CommitCurrentEntry(document, editor);
    document.currentEntryKey = selectedKey;

    LoadedEntry loaded;
    const RSSentry *entry = std::as_const(document.entries).find(selectedKey);
    if (!entry)
        return loaded;
    loaded.hasRecord = true;
    loaded.entry = *entry;
    loaded.documentHtml = EditorDocument(entry->content.text(), styleBlock);
    return loaded;
}

QString EditorDocument(const QString &content, const QString &styleBlock)
{
    if (content.isEmpty())
        return "<html><title></title><body>"_L1 + styleBlock + "</body></html>"_L1;
    static constexpr QStringView bodyTag(u"<body>");
    QString html;
    html.reserve(content.size() + styleBlock.size() + 6);
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = content.indexOf(bodyTag, from, Qt::CaseInsensitive);
        if (at < 0)
            break;
        html += QStringView(content).mid(from, at - from);
        html += styleBlock;
        html += bodyTag;
        from = at + bodyTag.size();
    }
    html += QStringView(content).mid(from);
    return html;
}

QString CreateInfoText(const QString &createdonText, const LoadedEntry &entry, const QLocale &locale)
{
    if (!entry.entry.unreadDate.isEmpty())
        return createdonText + u' ' + entry.entry.unreadDate;
    return createdonText + u' ' + DateText::format(entry.entry.createdate, locale);
}

} // namespace Feedsmith

// The rules of the entry list.
#include "core/entries/entryoperations.h"

#include "core/document/entryfields.h"

#include "core/project/datetext.h"

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// Caption changes of many nodes reach the views as one range.
class CaptionBatch
{
public:
    explicit CaptionBatch(EntryTreeModel &tree)
        : m_tree(tree)
    {
        m_tree.beginCaptionBatch();
    }
    ~CaptionBatch() { m_tree.endCaptionBatch(); }
    CaptionBatch(const CaptionBatch &) = delete;
    CaptionBatch &operator=(const CaptionBatch &) = delete;

private:
    EntryTreeModel &m_tree;
};

void rewriteCaption(FeedDocument &document, int number, const QString &newEntryText)
{
    document.tree.setCaption(EntryCollection::keyFor(number), EntryCaption(document.entries.at(number), newEntryText));
}

} // namespace

QString CreateEntry(FeedDocument &document, const QDateTime &now, const QString &rootkeyText,
                    const QString &newEntryText)
{
    EntryCollection &entries = document.entries;
    EntryTreeModel &tree = document.tree;
    if (entries.isFull())
        return EntryCollection::keyFor(entries.count());

    RSSentry entry;
    entry.createdate = now;
    entry.guid = NewEntryId(); // for good: edits, moves and deletes of others never change it
    const QString caption = EntryCaption(entry, newEntryText);
    if (entries.isEmpty()) {
        if (tree.caption(EntryTreeModel::RootKey).isEmpty()) {
            tree.addTopLevel(EntryTreeModel::RootKey, rootkeyText);
            tree.setExpanded(EntryTreeModel::RootKey, true);
        }
        tree.add(EntryTreeModel::RootKey, EntryTreeModel::Child, EntryCollection::keyFor(1), caption);
    } else {
        const int n = entries.count() + 1;
        tree.add(EntryCollection::keyFor(n - 1), EntryTreeModel::FirstSibling, EntryCollection::keyFor(n), caption);
    }
    entries.append(std::move(entry));
    return EntryCollection::keyFor(entries.count());
}

bool DeleteEntry(FeedDocument &document, const QString &key, const QString &newEntryText)
{
    EntryCollection &entries = document.entries;
    const int n = EntryCollection::numberOf(key);
    if (n < 1 || n > entries.count())
        return false;
    const int last = entries.count();
    entries.removeAt(n);
    {
        // The nodes stay where they are; their captions follow the records down one key.
        CaptionBatch batch(document.tree);
        for (int i = n; i < last; ++i)
            rewriteCaption(document, i, newEntryText);
    }
    document.tree.remove(EntryCollection::keyFor(last));
    document.currentEntryKey.clear();
    return true;
}

bool MoveEntry(FeedDocument &document, const QString &dragKey, const QString &dropKey, const QString &newEntryText)
{
    EntryCollection &entries = document.entries;
    const int h = EntryCollection::numberOf(dragKey);
    const int l = EntryCollection::numberOf(dropKey);
    if (h < 1 || h > entries.count() || l < 1 || l > entries.count() || l == h)
        return false;
    {
        CaptionBatch batch(document.tree);
        if (l < h) {
            for (int i = h; i > l; --i) {
                entries.exchange(i, i - 1);
                rewriteCaption(document, i, newEntryText);
                rewriteCaption(document, i - 1, newEntryText);
            }
        } else {
            for (int i = h; i < l; ++i) {
                entries.exchange(i, i + 1);
                rewriteCaption(document, i, newEntryText);
                rewriteCaption(document, i + 1, newEntryText);
            }
        }
    }
    document.currentEntryKey.clear();
    return true;
}

bool CommitCurrentEntry(FeedDocument &document, const EditorFields &fields)
{
    RSSentry *entry = document.entries.find(document.currentEntryKey);
    if (!entry)
        return false;
    entry->title = fields.entry.title;
    entry->link = fields.entry.link;
    for (const EntryField &field : EntryFields)
        field.value(*entry) = field.value(fields.entry);
    if (fields.contentEdited)
        entry->content = fields.entry.content;
    return true;
}

void CommitTitle(FeedDocument &document, const EditorFields &fields)
{
    if (!CommitCurrentEntry(document, fields) || fields.entry.title.isEmpty())
        return;
    const RSSentry *entry = document.entries.find(document.currentEntryKey);
    document.tree.setCaption(document.currentEntryKey, EntryCaption(*entry, QString()));
}

LoadedEntry SelectEntry(FeedDocument &document, const QString &selectedKey, const EditorFields &editor,
                        const QString &styleBlock)
{
    if (!document.currentEntryKey.isEmpty())
        CommitCurrentEntry(document, editor);
    document.currentEntryKey = selectedKey;

    LoadedEntry loaded;
    const RSSentry *entry = document.entries.find(selectedKey);
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

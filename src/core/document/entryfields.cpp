// The table of entry fields.
#include "core/document/entryfields.h"

#include "core/document/mediaduration.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QUrl>
#include <QUuid>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr EntryField field(QLatin1StringView key, QString RSSentry::*member, EntryFieldKind kind, RssPlace rss,
                           QLatin1StringView rssTag = {}, bool podcastOnly = false)
{
    return {key, member, kind, rss, rssTag.isEmpty() ? key : rssTag, podcastOnly};
}

} // namespace

const std::array<EntryField, 14> EntryFields = {{
        field("author"_L1, &RSSentry::author, EntryFieldKind::Text, RssPlace::Author),
        field("category"_L1, &RSSentry::categories, EntryFieldKind::List, RssPlace::EachLine),
        field("comments"_L1, &RSSentry::comments, EntryFieldKind::Text, RssPlace::Element),
        field("enclosure"_L1, &RSSentry::enclosureurl, EntryFieldKind::Text, RssPlace::Enclosure),
        field("enclosurelength"_L1, &RSSentry::enclosurelength, EntryFieldKind::Number, RssPlace::None),
        field("enclosuretype"_L1, &RSSentry::enclosuretype, EntryFieldKind::Text, RssPlace::None),
        field("enclosurefile"_L1, &RSSentry::enclosurefile, EntryFieldKind::Hidden, RssPlace::None),
        field("guid"_L1, &RSSentry::guid, EntryFieldKind::Text, RssPlace::Guid),
        field("guidpermalink"_L1, &RSSentry::guidpermalink, EntryFieldKind::Hidden, RssPlace::None),
        field("pubdate"_L1, &RSSentry::pubdate, EntryFieldKind::Text, RssPlace::PublicationDate),
        field("duration"_L1, &RSSentry::duration, EntryFieldKind::Text, RssPlace::Podcast, {}, true),
        field("episode"_L1, &RSSentry::episode, EntryFieldKind::Number, RssPlace::Podcast, {}, true),
        field("season"_L1, &RSSentry::season, EntryFieldKind::Number, RssPlace::Podcast, {}, true),
        field("explicit"_L1, &RSSentry::explicitcontent, EntryFieldKind::Option, RssPlace::Podcast, {}, true),
}};

QStringList EntryField::items(const RSSentry &entry) const
{
    const QString &text = value(entry);
    if (kind != EntryFieldKind::List)
        return text.isEmpty() ? QStringList() : QStringList{text};
    return text.split(u'\n', Qt::SkipEmptyParts);
}

const EntryField *entryField(QAnyStringView key)
{
    for (const EntryField &f : EntryFields) {
        if (QAnyStringView::equal(f.key, key))
            return &f;
    }
    return nullptr;
}

QString ListFromTyped(const QString &typed)
{
    QStringList items;
    for (const QString &item : typed.split(u',')) {
        const QString trimmed = item.simplified();
        if (!trimmed.isEmpty())
            items.append(trimmed);
    }
    return items.join(u'\n');
}

QString TypedFromList(const QString &lines)
{
    return lines.split(u'\n', Qt::SkipEmptyParts).join(u", "_s);
}

bool IsMailAuthor(const QString &author)
{
    static const QRegularExpression mail(u"\\A\\s*[^\\s@()<>]+@[^\\s@()<>]+\\.[^\\s@()<>]+(\\s|\\z)"_s);
    return mail.match(author).hasMatch();
}

void TakeEnclosureFile(RSSentry &entry, const QString &stored, const QString &path)
{
    const QFileInfo file(path);
    // The address is the file's place in the media folder: the feed names it by its public
    // address when it is written, whenever that address is set.
    entry.enclosureurl = stored;
    entry.enclosurefile.clear();
    entry.enclosurelength = QString::number(file.size());
    entry.enclosuretype = QMimeDatabase().mimeTypeForFile(file).name();
    // An audio or video file says how long it plays; a duration typed for a file that cannot
    // tell stays.
    if (const int seconds = MediaDurationSeconds(path); seconds > 0)
        entry.duration = DurationText(seconds);
}

QString NewEntryId()
{
    return u"urn:uuid:"_s + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace Feedsmith

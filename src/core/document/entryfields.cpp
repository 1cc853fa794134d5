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
                           QLatin1StringView rssTag = {}, bool podcastOnly = false, bool mediaFile = false)
{
    return {key, member, kind, rss, rssTag.isEmpty() ? key : rssTag, podcastOnly, mediaFile};
}

// An episode's field: shown only for a podcast.
constexpr EntryField episodeField(QLatin1StringView key, QString RSSentry::*member, EntryFieldKind kind, RssPlace rss,
                                  QLatin1StringView rssTag = {}, bool mediaFile = false)
{
    return field(key, member, kind, rss, rssTag, true, mediaFile);
}

} // namespace

const std::array<EntryField, 21> EntryFields = {{
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
        episodeField("episodetitle"_L1, &RSSentry::episodetitle, EntryFieldKind::Text, RssPlace::Podcast, "title"_L1),
        episodeField("episodetype"_L1, &RSSentry::episodetype, EntryFieldKind::Text, RssPlace::Podcast,
                     "episodeType"_L1),
        episodeField("episodeimage"_L1, &RSSentry::episodeimage, EntryFieldKind::Text, RssPlace::PodcastImage,
                     "image"_L1, true),
        episodeField("block"_L1, &RSSentry::block, EntryFieldKind::Option, RssPlace::Podcast),
        episodeField("transcript"_L1, &RSSentry::transcripts, EntryFieldKind::List, RssPlace::Podcasting, {}, true),
        episodeField("chapters"_L1, &RSSentry::chapters, EntryFieldKind::Text, RssPlace::Podcasting, {}, true),
        episodeField("person"_L1, &RSSentry::persons, EntryFieldKind::List, RssPlace::Podcasting),
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
        QStringList parts = item.split(u'|');
        for (QString &part : parts)
            part = part.simplified();
        // An item is named by its first part: without it, nothing is left to keep.
        if (!parts.first().isEmpty())
            items.append(TabLine(parts));
    }
    return items.join(u'\n');
}

QString TypedFromList(const QString &lines)
{
    return lines.split(u'\n', Qt::SkipEmptyParts).join(u", "_s).replace(u'\t', " | "_L1);
}

QStringList TabParts(const QString &line, int count)
{
    QStringList parts = line.split(u'\t');
    parts.resize(count);
    return parts;
}

QStringList WordParts(const QString &line, int count)
{
    QStringList parts;
    QStringView rest = QStringView(line).trimmed();
    while (parts.size() + 1 < count && !rest.isEmpty()) {
        qsizetype blank = 0;
        while (blank < rest.size() && !rest.at(blank).isSpace())
            ++blank;
        parts.append(rest.left(blank).toString());
        rest = rest.sliced(blank).trimmed();
    }
    parts.append(rest.toString());
    parts.resize(count);
    return parts;
}

QString TabLine(QStringList parts)
{
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    return parts.join(u'\t');
}

QString WordLine(QStringList parts)
{
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    return parts.join(u' ');
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

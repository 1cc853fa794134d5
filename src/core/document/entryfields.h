// The fields of an entry beyond its title, link, body and creation date: how each is typed,
// stored in the project file and written to the feed. The project reader and writer, the RSS
// writer, the importer and the window's entry panel all work from this one table.
#pragma once

#include "core/document/rssentry.h"

#include <QAnyStringView>
#include <QLatin1StringView>
#include <QStringList>

#include <array>

namespace Feedsmith {

// How a field is typed.
enum class EntryFieldKind {
    Text, // one line
    List, // items one a line in the document; typed as a comma-separated list
    Number, // digits only
    Option, // a check box: "1" when on, empty when off
    Hidden, // kept with the entry, never typed (a remembered local file, a flag set with another field)
};

// Where a field goes in the feed.
enum class RssPlace {
    None,
    Element, // <tag>value</tag>
    Author, // <author> for an e-mail address ("mail@example.com (Name)"), else <dc:creator>
    EachLine, // one <tag> for each line
    Enclosure, // <enclosure url length type/> from the three enclosure fields, with the URL
    Guid, // <guid isPermaLink="..."> with guidpermalink
    PublicationDate, // <pubDate> when entries are dated, in place of the creation date
    Podcast, // <itunes:tag> in a podcast, for an entry with an enclosure
    PodcastImage, // <itunes:image href/> in a podcast, for an entry with an enclosure
    Podcasting, // <podcast:tag attributes/> in a podcast, for an entry with an enclosure (see PodcastLine)
};

struct EntryField
{
    // Its element in the project file; "entry" and the key are its caption and help keys in the
    // language files.
    QLatin1StringView key;
    QString RSSentry::*member;
    EntryFieldKind kind;
    RssPlace rss;
    QLatin1StringView rssTag;
    bool podcastOnly = false; // shown in the window only for a podcast
    bool mediaFile = false; // may name a file of the media folder ("media/NAME"), chosen with a button and uploaded

    QString &value(RSSentry &entry) const { return entry.*member; }
    const QString &value(const RSSentry &entry) const { return entry.*member; }
    // The key of its caption and help text: "entry" and the key.
    QString textKey() const { return QStringLiteral("entry") + key; }
    // The items of a List field (empty lines dropped); the value itself otherwise, when set.
    QStringList items(const RSSentry &entry) const;
};

// In the order of the project file (after an entry's title, link, content and date) and of the
// window's Details area.
extern const std::array<EntryField, 21> EntryFields;

// The field of a key; null for none.
const EntryField *entryField(QAnyStringView key);

// A comma-separated list as typed ("news, Köln ,  ") as items one a line ("news\nKöln"), and
// back; a comma cannot be part of an item. The parts of an item that may hold blanks (a
// category and its domain, a person's name, role and so on) are typed with "|" between them
// ("MSFT | http://www.fool.com/cusips") and kept with a tab between them.
QString ListFromTyped(const QString &typed);
QString TypedFromList(const QString &lines);

// The parts of a line of a field with several parts, always `count` of them (missing ones
// empty): those with a tab between them, where parts may hold blanks (a category
// "name<TAB>domain", a person "name<TAB>role<TAB>group<TAB>img<TAB>href"); or the first
// `count` - 1 words and the rest, where only the last part may hold blanks (a transcript
// "url type language", chapters "url type", a funding "url text").
QStringList TabParts(const QString &line, int count);
QStringList WordParts(const QString &line, int count);
// Parts joined into a line again, without the empty parts at its end.
QString TabLine(QStringList parts);
QString WordLine(QStringList parts);

// Whether an author value names an e-mail address, as RSS's <author> wants it.
bool IsMailAuthor(const QString &author);

// Takes a file of the project's media folder as the entry's enclosure: `stored` ("media/NAME")
// as its address, which the feed names by its public address whenever it is written, its
// length and MIME type as they are now, and for an audio or video file its duration
// ("HH:MM:SS", read with TagLib). `path` is where the file lies.
void TakeEnclosureFile(RSSentry &entry, const QString &stored, const QString &path);

// A new entry's ID: "urn:uuid:" and a random UUID.
QString NewEntryId();

} // namespace Feedsmith

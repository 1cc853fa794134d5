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

    QString &value(RSSentry &entry) const { return entry.*member; }
    const QString &value(const RSSentry &entry) const { return entry.*member; }
    // The key of its caption and help text: "entry" and the key.
    QString textKey() const { return QStringLiteral("entry") + key; }
    // The items of a List field (empty lines dropped); the value itself otherwise, when set.
    QStringList items(const RSSentry &entry) const;
};

// In the order of the project file (after an entry's title, link, content and date) and of the
// window's Details area.
extern const std::array<EntryField, 14> EntryFields;

// The field of a key; null for none.
const EntryField *entryField(QAnyStringView key);

// A comma-separated list as typed ("news, Köln ,  ") as items one a line ("news\nKöln"), and
// back; a comma cannot be part of an item.
QString ListFromTyped(const QString &typed);
QString TypedFromList(const QString &lines);

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

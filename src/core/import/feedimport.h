// Reading a feed written by another program (RSS 2.0, RSS 0.9x and RDF, Atom 1.0 and 0.3) into a
// document.
#pragma once

#include "core/document/feeddocument.h"
#include "core/locale/keyedtexts.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace Feedsmith {

// No feed larger than this is read or downloaded: a hostile one must not exhaust memory.
inline constexpr qint64 MaxFeedBytes = qint64(64) * 1024 * 1024;

// What a feed holds, in the document's terms.
struct ImportedFeed
{
    QString format; // "RSS 2.0", "RSS 0.91", "RSS 1.0", "Atom 1.0", "Atom 0.3", ...
    // The feed's channel values; ttl is 1440 (a new document's) when the feed has none, number
    // is chosen so that every imported item is published again.
    ChannelSettings channel;
    // In feed order, the newest first; content is the body as HTML on one line, createdate the
    // item's date in local time (the moment of the import for an item without one).
    QList<RSSentry> items;
    int itemsLeftOut = 0; // items beyond the 32767 a document can hold
    // Values that were cut, and what the document has no place for, once for each kind with
    // how many items held it ("2 items: media:thumbnail not kept"); one line each.
    QStringList notes;
};

// Reads a feed. `now` dates the items that carry no date or none that can be read. HTML 4's
// named characters (&eacute;, &hellip;) are read as such, with or without a DOCTYPE line. Blank
// lines and a byte order mark before the XML declaration are passed over, and a file compressed
// with gzip is unpacked. Atom 0.3's elements are read as the Atom 1.0 ones they became. False,
// with *error saying why, for anything that is no well-formed RSS or Atom feed, for more than
// MaxFeedBytes (packed, or unpacked: unpacking stops there), for another compression (named),
// and for a document type with declarations of its own (entities are never expanded, and no
// external DTD or entity is ever read; a bare DOCTYPE line as RSS 0.91 files carry is ignored).
// An element with more than 1000 attributes, more than 100 namespaces declared around it or a
// start tag longer than 1 MB is refused before the XML is read, which would take minutes.
bool ParseFeed(const QByteArray &bytes, const QDateTime &now, ImportedFeed *feed, QString *error);

// Reads the bytes of a feed file: only a regular file of at most MaxFeedBytes.
bool ReadFeedFile(const QString &path, QByteArray *bytes, QString *error);

// Whether a file's root element is that of an RSS or Atom feed (nothing more is read); markup
// that ParseFeed refuses before reading it makes no feed.
bool IsFeedFile(const QString &path);

// Makes the document new and fills it with the feed, as opening a project would: the channel
// fields (accented letters kept exactly, as in every new project), one entry per item (the first item becomes the
// newest entry, keyN), the tree with its root. Bodies get the style block in front, as bodies read from a project do.
// The document is marked changed and has no project path. The items are moved into the document (a large feed is not
// held twice); the rest of the feed stays.
void LoadImportedFeed(FeedDocument &document, ImportedFeed &feed, const KeyedTexts &textTable,
                      const QString &styleBlock);

} // namespace Feedsmith

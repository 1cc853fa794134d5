// One entry of the feed.
#pragma once

#include "core/document/entrycontent.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace Feedsmith {

// The date and time an entry has before it is given one: 30 December 1899, midnight.
// Made once: every entry read starts from it, and a local time costs a time zone lookup.
inline QDateTime zeroDate()
{
    static const QDateTime zero(QDate(1899, 12, 30), QTime(0, 0));
    return zero;
}

// A plain record: the entry's title, link, HTML body and creation time.
struct RSSentry
{
    QString title;
    QString link;
    // Empty, a whole HTML document from the editor, or the style block followed by a body
    // read from a project file; every consumer accepts all three.
    EntryContent content;
    QDateTime createdate = zeroDate();
    // The date text of a project file that could not be read as a date (createdate is then the
    // zero date): kept, and written back as it was; empty for every date that was read.
    QString unreadDate = {};

    // What feeds carry beyond that, each written to the project and the feed only when set (see
    // EntryFields for how each is stored and written).
    QString author = {}; // "mail@example.com (Name)", or a name alone
    QString categories = {}; // one category a line
    QString comments = {}; // the address of the entry's comments
    QString enclosureurl = {};
    QString enclosurelength = {}; // in bytes
    QString enclosuretype = {}; // a MIME type
    QString enclosurefile = {}; // the enclosure's file in the media folder ("media/NAME"), uploaded beside the feed
    QString guid = {}; // the entry's ID, never changed once given
    QString guidpermalink = {}; // "1" when the ID is the entry's address
    QString pubdate = {}; // the entry's own publication date, as the project stores dates
    QString duration = {}; // podcast episodes: "HH:MM:SS" or seconds
    QString episode = {};
    QString season = {};
    QString explicitcontent = {}; // "1" when the episode is marked explicit
    QString episodetitle = {}; // the episode's title without its number or the show's name
    QString episodetype = {}; // "full", "trailer" or "bonus"
    QString episodeimage = {}; // the address of the episode's artwork, or "media/NAME"
    QString block = {}; // "1" when directories are to leave the episode out
    QString transcripts = {}; // one a line: "url type language"
    QString chapters = {}; // "url type"
    QString persons = {}; // one a line: "name<TAB>role<TAB>group<TAB>img<TAB>href"

    friend bool operator==(const RSSentry &, const RSSentry &) = default;
};

} // namespace Feedsmith

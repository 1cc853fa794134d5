// Podcasts: the category list of Apple Podcasts and the rules podcast directories apply to a feed.
#pragma once

#include "core/document/feeddocument.h"
#include "core/locale/keyedtexts.h"

#include <QLocale>
#include <QString>
#include <QStringList>

namespace Feedsmith {

// The namespace of the podcast tags ("itunes:").
inline constexpr char PodcastNamespace[] = "http://www.itunes.com/dtds/podcast-1.0.dtd";

// The categories of Apple Podcasts in their own spelling ("Health & Fitness"), in the order of
// its list, and the subcategories of one of them (none for an unknown one, and for the
// categories that have none, such as "History").
QStringList PodcastCategories();
QStringList PodcastSubcategories(const QString &category);

// The podcast type as written: "episodic" or "serial" (any case, blanks around it), empty for
// anything else.
QString PodcastType(const QString &typed);

// Whether a duration is one podcast directories read: seconds ("2535"), or hours, minutes and
// seconds ("00:42:15", "1:02:03") or minutes and seconds ("42:15").
bool IsPodcastDuration(const QString &typed);

// What a podcast directory such as Apple Podcasts would reject in the feed, or asks for, one
// plain English sentence each; empty when the feed passes. Checked, after the directories'
// common rules (PSP-1) and Apple's:
// - the channel has a title, a description of at most 4000 bytes, a language and a link;
// - the feed names its own address (a public address, and entry dates and IDs, which also give
//   the episodes their publication dates);
// - the feed is marked as a podcast, so that it says whether the show is explicit (the check
//   box always gives true or false) and carries the podcast fields below;
// - the artwork address is given and starts with http:// or https://;
// - the category is given and in the list of Apple Podcasts, the subcategory (if any) is one of
//   its subcategories;
// - the type, if given, is episodic or serial;
// - the owner's e-mail address is given (recommended: Apple sends its ownership check there) and
//   is a valid one;
// - every published entry (the newest ones the number field takes) has a title, an enclosure
//   with an audio or video MIME type that Apple takes (or a PDF) and a length above zero, a
//   duration in a form directories read (an episode of the media folder without one is told
//   its file's), and an ID (its own, or the one the option of entry dates and IDs gives it).
// The sentences come from `texts` (podcastnotitle, ...), English without them.
QStringList PodcastProblems(const FeedDocument &document, const QLocale &locale = QLocale::system(),
                            const KeyedTexts &texts = {});

// The same, each with the field it concerns (a channel field's key, or an entry field's such as
// "enclosure") and the entry (its key number; 0 for the channel), so that a finding leads to it.
struct PodcastProblem
{
    QString text;
    QString field;
    int entry = 0;
    QString key; // the key of its sentence in the language files ("podcastnoartwork")
};
QList<PodcastProblem> PodcastFindings(const FeedDocument &document, const QLocale &locale = QLocale::system(),
                                      const KeyedTexts &texts = {});

} // namespace Feedsmith

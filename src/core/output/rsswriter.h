// The RSS 2.0 file: the channel lines, the publication date and the newest entries.
#pragma once

#include "core/document/feeddocument.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <array>

namespace Feedsmith {

// English day and month abbreviations of RFC 822 dates, whatever the user's language.
inline constexpr std::array<const char *, 7> DayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
inline constexpr std::array<const char *, 12> MonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The feed's publication date, such as "Sun, 06 Dec 2026 19:41:29 +0100": the moment's own
// offset from UTC closes it, so the text names the true instant in summer and winter alike.
QString PublicationDate(const QDateTime &moment);

// Which entries go into the feed and the preview.
struct FeedItemSelection
{
    double countValue = 0; // n: the number field's value, at most the entry count
    int taken = 0; // k: how many of the newest entries are taken, keyN downwards
    bool numberReset = false; // the field is empty, "0" or no number, and reads as "10"
};

// Reads the number field; an empty, "0" or non-numeric field reads as "10".
FeedItemSelection FeedItemCount(const ChannelSettings &channel, int entryCount,
                                const QLocale &locale = QLocale::system());

// What the generate command and the preview leave in the number field: "10" where
// FeedItemCount reads it so. True when the field changed.
bool ResetFeedItemNumber(ChannelSettings &channel, const QLocale &locale = QLocale::system());

// The text between the first "<body>" and the first "</body>" (any case), or the whole content
// when it has neither. With only one of them, the text after "<body>" or before "</body>".
QString ExtractBody(const QString &content);

// An entry's description text: body, line breaks removed, transliterated, style block removed.
// Nothing else of the body is read as an escape: "[[" in a body stays "[[".
QString DescriptionText(const QString &content, const QString &styleBlock);

// Whether a text is digits and nothing else, as a time to live or a number of entries must be.
bool IsWholeNumber(const QString &text);

// What writing the RSS file found out about the feed on the way.
struct RssFacts
{
    // An item shows a picture of the project's media folder, and the project has no public
    // address of the feed to publish it under: readers will not see it.
    bool mediaWithoutPublicAddress = false;
    int entryWithLocalMedia = 0; // the newest published entry that does so (its key), 0 for none
    int entryWithFileReference = 0; // the newest whose body points at a file of the disk ("file:")
};

// The whole RSS file as bytes, lines ended by CR LF.
QByteArray BuildRssFile(const FeedDocument &document, const QString &styleBlock, const QDateTime &moment,
                        const QLocale &locale = QLocale::system(), RssFacts *facts = nullptr);

// The size in bytes of the RSS file BuildRssFile would make, without holding it.
qint64 MeasureRssFile(const FeedDocument &document, const QString &styleBlock, const QDateTime &moment,
                      RssFacts *facts = nullptr);

// Builds the style block, then writes the RSS file atomically. False, with *error naming the
// file and the reason, when it could not be written; the previous file is then untouched.
bool WriteRssFile(const FeedDocument &document, const QString &path, const QString &programFolder,
                  const QDateTime &moment, QString *error, RssFacts *facts = nullptr);

// Whether the RSS file may be written to path when the path came from a project, which may come
// from someone else: nothing is there yet, or an empty regular file, or a regular file that
// starts with an XML declaration followed by "<rss". Anything else (a shell profile, a key
// file, the project itself, a device) is left alone: false, and *reason says why.
bool MayReplaceWithRss(const QString &path, QString *reason);

// Where a project's local copy of its feed (ftpfile) lies: a relative path counts from the
// project's folder.
QString FeedCopyPath(const QString &ftpfile, const QString &projectPath);

// Whether publishing may keep its local copy of the feed at the path a project names: a file
// ending in ".xml", ".rss" or ".atom" in the project's folder or below it, no link, and
// MayReplaceWithRss. Anything else may be a file of the user's that the project's author
// chose (a key file, a script a program runs): false, and *reason says why.
bool MayKeepFeedCopy(const QString &ftpfile, const QString &projectPath, QString *reason);

// The address of the RSS 2.0 specification, written as the channel's docs element.
inline constexpr char RssDocsUrl[] = "https://www.rssboard.org/rss-specification";

} // namespace Feedsmith

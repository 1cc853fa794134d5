// The feed check: what feed validators and readers would say about the RSS file that the
// project makes, before it is published.
#pragma once

#include "core/document/feeddocument.h"
#include "core/locale/keyedtexts.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>

namespace Feedsmith {

struct FeedFinding
{
    enum class Severity {
        Warning, // readers cope, or leave something out: the feed may be published
        Error, // the feed would be invalid: it is not published
    };
    Severity severity = Severity::Warning;
    QString text; // one sentence in the interface language
    QString field; // the key of the field it concerns ("description", "enclosureurl"), or empty
    int entry = 0; // the key number of the entry it concerns; 0 for the channel
    // What the window offers to mend it with.
    enum class Fix { None, CopyIntoMediaFolder };
    Fix fix = Fix::None;
};

// Readers commonly stop reading a feed larger than this.
inline constexpr qint64 ReaderFeedLimit = qint64(512) * 1024;

// Checks the feed the project would publish now: the channel, the published entries (the
// newest ones the number field takes), the podcast rules when it is a podcast, and the size of
// the RSS file made with the style block at the moment. Errors first, then warnings, each in
// the order of the fields and entries.
QList<FeedFinding> CheckFeed(const FeedDocument &document, const QString &styleBlock, const QDateTime &moment,
                             const KeyedTexts &texts, const QLocale &locale = QLocale::system());

// How a finding names an entry: by its place in the entry list, the newest first, and its
// title: "Entry 2 ("Talk")", or "Entry 2" when it has none. The rules of the feed check and of
// podcasts name entries alike.
QString FindingEntryName(const FeedDocument &document, int key, const KeyedTexts &texts);

// Whether any finding is an error.
bool HasFeedErrors(const QList<FeedFinding> &findings);

} // namespace Feedsmith

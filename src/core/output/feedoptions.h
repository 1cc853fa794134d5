// What the RSS file's options add: entry dates and IDs, the feed's own address, and letters
// outside ASCII kept as character references.
#pragma once

#include "core/document/feeddocument.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace Feedsmith {

// The options as the project has them ("1" is on; anything else, or nothing, is off).
struct FeedOptions
{
    bool entryDatesAndIds = false;
    bool keepAccents = false;
    QString selfUrl; // the feed's public address, for its self link; empty for none

    static FeedOptions of(const FeedDocument &document);
};

// Every character beyond ASCII as a decimal character reference ("&#228;"; one reference for
// a surrogate pair), the rest as it stands.
QString referencedBeyondAscii(QStringView text);

// The IDs of entries 1 .. count: the channel link (or "urn:feedsmith:" without one), "#", and
// the creation time as stored in the project ("2026-12-08T04:40:10"), so that an ID survives
// edits, reorders and a move to a machine in another time zone. Entries created in the same
// second get "-2", "-3", ... in the order of their keys.
QList<QString> EntryIds(const FeedDocument &document);

} // namespace Feedsmith

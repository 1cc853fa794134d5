// Podcasting 2.0: the tags of the "podcast" namespace and the show's lasting GUID.
#pragma once

#include "core/document/feeddocument.h"

#include <QString>

namespace Feedsmith {

// The namespace of the Podcasting 2.0 tags ("podcast:").
inline constexpr char PodcastingNamespace[] = "https://podcastindex.org/namespace/1.0";

// The GUID a show's public address gives it: the UUIDv5 of the address without its scheme and
// without the slashes at its end ("https://example.org/feed.xml/" gives that of
// "example.org/feed.xml"), under the namespace UUID ead4c236-bf58-58c6-a2c6-a6b28d128cb6, as
// directories make it; empty for anything but an http or https address with a host.
QString PodcastGuid(const QString &feedUrl);

// Gives a podcast with a public address and no GUID the GUID of that address; true when it did.
// A GUID once given is never changed by the program, so that the show keeps it when it moves.
bool SettlePodcastGuid(FeedDocument &document);

// Whether the feed, with the newest `taken` entries, writes a tag of the podcast namespace: the
// namespace is declared only then.
bool UsesPodcastingTags(const FeedDocument &document, int taken);

} // namespace Feedsmith

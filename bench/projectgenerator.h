// Writes realistic feed projects of any size for the benchmarks.
#pragma once

#include <QString>

namespace FeedsmithBench {

// A project of `entries` entries in the program's file format: titles with umlauts and "&",
// links, bodies of about 2 KB of HTML with paragraphs, lists, links and accented letters.
// The same arguments always give the same bytes.
bool writeProject(const QString &path, int entries);

// A project of `entries` entries as another editor or a person would write it: titles and
// bodies of German, French and Nordic words that together hold every letter of Windows-1252,
// stored in the code page as they stand (the program's own writer would have transliterated the
// bodies); "&", named entities and numeric references, commas, nested lists and links, about
// 1.6 KB of HTML per body (59 MB for 32767 entries). With itemsJsonPath, the same items (title,
// link, body as read, ISO date) are written there as a JSON array for other feed writers. The
// same arguments give the same bytes.
bool writeAccentedProject(const QString &path, int entries, const QString &itemsJsonPath = QString());

// A style sheet of about 1 KB.
bool writeStyleSheet(const QString &path);

} // namespace FeedsmithBench

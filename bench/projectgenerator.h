// Writes realistic feed projects of any size for the benchmarks.
#pragma once

#include <QString>

namespace FeedsmithBench {

// A project of `entries` entries in the program's file format: titles with umlauts and "&",
// links, bodies of about 2 KB of HTML with paragraphs, lists, links and accented letters.
// The same arguments always give the same bytes.
bool writeProject(const QString &path, int entries);

// A style sheet of about 1 KB.
bool writeStyleSheet(const QString &path);

} // namespace FeedsmithBench

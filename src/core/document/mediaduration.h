// The playing time of an audio or video file, as an enclosure's duration.
#pragma once

#include <QString>

namespace Feedsmith {

// The seconds an audio or video file plays (MP3, M4A, MP4, MOV, Ogg, Opus, FLAC, WAV, ...), read
// from the file with TagLib and rounded to the nearest second; -1 for a file it cannot tell,
// or that plays for less than half a second.
int MediaDurationSeconds(const QString &path);

// A duration as podcast directories read it: "HH:MM:SS" ("00:41:38"), more hours as they come.
QString DurationText(int seconds);

} // namespace Feedsmith

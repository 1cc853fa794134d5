// The wall clock, behind a seam so that tests and reproducible builds can fix it.
#pragma once

#include <QDateTime>

#include <functional>

namespace Feedsmith {

// Answers "what time is it now" for everything that stamps a date.
class Clock
{
public:
    using Source = std::function<QDateTime()>;

    // The current local date and time, or what a replaced source gives.
    static QDateTime now();

    // Replaces the source for the whole program; an empty source restores the system clock.
    static void setSource(Source source);

    // The last second SOURCE_DATE_EPOCH may name: 9999-12-31 23:59:59 UTC.
    static constexpr qint64 LastEpochSecond = 253402300799;

    // Reads SOURCE_DATE_EPOCH: a valid value gives that instant in UTC, an unset (or empty) one
    // an invalid date. A value that is not a whole number of seconds from 0 to LastEpochSecond
    // (the years 1970 to 9999) gives an invalid date and *problem says what is wrong with it.
    static QDateTime sourceDateEpoch(QString *problem = nullptr);

    // While TZ is unset, the C library looks at /etc/localtime again at every local-time
    // conversion: a file-system call for each date of a project. Naming the zone file once at
    // start spares them; the zone is the same. Call before the first date is read.
    static void pinLocalTimeZone();
};

} // namespace Feedsmith

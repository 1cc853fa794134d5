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

    // Reads SOURCE_DATE_EPOCH: a valid value gives that instant in UTC, an unset one an
    // invalid date. *malformed is set when the variable is set but is not a whole number.
    static QDateTime sourceDateEpoch(bool *malformed = nullptr);
};

} // namespace Feedsmith

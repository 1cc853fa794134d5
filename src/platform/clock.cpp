// The wall clock seam.
#include "platform/clock.h"

namespace Feedsmith {

namespace {
Clock::Source &source()
{
    static Clock::Source s;
    return s;
}
} // namespace

QDateTime Clock::now()
{
    if (const auto &s = source())
        return s();
    return QDateTime::currentDateTime();
}

void Clock::setSource(Source s)
{
    source() = std::move(s);
}

QDateTime Clock::sourceDateEpoch(bool *malformed)
{
    if (malformed)
        *malformed = false;
    const QByteArray value = qgetenv("SOURCE_DATE_EPOCH");
    if (value.isEmpty())
        return {};
    bool ok = false;
    const qint64 seconds = value.trimmed().toLongLong(&ok);
    if (!ok || seconds < 0) {
        if (malformed)
            *malformed = true;
        return {};
    }
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

} // namespace Feedsmith

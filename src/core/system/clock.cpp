// The wall clock seam.
#include "core/system/clock.h"

#include <QFileInfo>

#include <ctime>

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

QDateTime Clock::sourceDateEpoch(QString *problem)
{
    if (problem)
        problem->clear();
    const QByteArray value = qgetenv("SOURCE_DATE_EPOCH");
    if (value.isEmpty())
        return {};
    bool ok = false;
    const qint64 seconds = value.trimmed().toLongLong(&ok);
    if (!ok || seconds < 0 || seconds > LastEpochSecond) {
        // A date quietly taken from the clock instead would make a build look reproducible
        // when it is not.
        if (problem) {
            *problem = ok ? QStringLiteral("SOURCE_DATE_EPOCH is out of range: it must lie between 0 and %1 "
                                           "(the years 1970 to 9999)")
                                    .arg(LastEpochSecond)
                          : QStringLiteral("SOURCE_DATE_EPOCH is not a whole number of seconds");
        }
        return {};
    }
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

void Clock::pinLocalTimeZone()
{
    if (!qEnvironmentVariableIsSet("TZ") && QFileInfo::exists(QStringLiteral("/etc/localtime"))) {
        qputenv("TZ", ":/etc/localtime");
        tzset();
    }
}

} // namespace Feedsmith

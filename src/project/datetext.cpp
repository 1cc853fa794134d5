// Entry dates in the project file.
#include "project/datetext.h"

#include "document/rssentry.h"

#include <QRegularExpression>

namespace Feedsmith::DateText {

using namespace Qt::StringLiterals;

QString dateFormat(const QLocale &locale)
{
    QString f = locale.dateFormat(QLocale::ShortFormat);
    // Short formats often carry a two-digit year, which reads back a century off.
    static const QRegularExpression years(u"y+"_s);
    f.replace(years, u"yyyy"_s);
    return f;
}

QString timeFormat(const QLocale &locale)
{
    QString f = locale.timeFormat(QLocale::LongFormat);
    // Drop the time-zone name and the blanks around it.
    static const QRegularExpression zone(u"\\s*t+\\s*"_s);
    f.replace(zone, u" "_s);
    f = f.trimmed();
    if (!f.contains(u's')) {
        const qsizetype minutes = f.indexOf("mm"_L1);
        if (minutes >= 0)
            f.insert(minutes + 2, ":ss"_L1);
    }
    return f;
}

QString format(const QDateTime &moment, const QLocale &locale, const QString &dateForm, const QString &timeForm)
{
    const QDate date = moment.date();
    const QTime time = moment.time();
    if (date == zeroDate().date())
        return locale.toString(time, timeForm);
    if (time == QTime(0, 0))
        return locale.toString(date, dateForm);
    return locale.toString(date, dateForm) + u' ' + locale.toString(time, timeForm);
}

QString format(const QDateTime &moment, const QLocale &locale)
{
    return format(moment, locale, dateFormat(locale), timeFormat(locale));
}

namespace {

QDateTime tryForms(const QString &text, const QLocale &locale, const QString &dateForm, const QString &timeForm)
{
    QDateTime dt = locale.toDateTime(text, dateForm + u' ' + timeForm);
    if (dt.isValid())
        return dt;
    const QDate d = locale.toDate(text, dateForm);
    if (d.isValid())
        return QDateTime(d, QTime(0, 0));
    const QTime t = locale.toTime(text, timeForm);
    if (t.isValid())
        return QDateTime(zeroDate().date(), t);
    return {};
}

} // namespace

Reader::Reader(const QLocale &locale)
    : m_locale(locale)
    , m_dateForm(dateFormat(locale))
    , m_timeForm(timeFormat(locale))
{
}

QDateTime parse(const QString &raw, const QLocale &locale)
{
    return Reader(locale).read(raw);
}

QDateTime Reader::read(const QString &raw) const
{
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return {};
    if (QDateTime dt = tryForms(text, m_locale, m_dateForm, m_timeForm); dt.isValid())
        return dt;
    const QLocale c = QLocale::c();
    static const std::array<std::pair<QString, QString>, 3> common = {{
        {u"dd.MM.yyyy"_s, u"HH:mm:ss"_s},
        {u"M/d/yyyy"_s, u"h:mm:ss AP"_s},
        {u"yyyy-MM-dd"_s, u"HH:mm:ss"_s},
    }};
    for (const auto &[dateForm, timeForm] : common) {
        if (QDateTime dt = tryForms(text, c, dateForm, timeForm); dt.isValid())
            return dt;
    }
    return {};
}

} // namespace Feedsmith::DateText

// Entry dates as the project file holds them: the regional short date and long time.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace Feedsmith::DateText {

// The locale's short date with a four-digit year, e.g. "dd.MM.yyyy" or "M/d/yyyy".
QString dateFormat(const QLocale &locale);
// The locale's long time with seconds and without a time-zone name, e.g. "HH:mm:ss".
QString timeFormat(const QLocale &locale);

// "06.12.2026 19:41:29" under German settings; a time of exactly midnight gives the date alone,
// the zero date gives the time alone.
QString format(const QDateTime &moment, const QLocale &locale);
// The same with the two formats worked out beforehand (for many dates in a row).
QString format(const QDateTime &moment, const QLocale &locale, const QString &dateForm, const QString &timeForm);

// Reads a date text in the locale's own form first, then in the common forms
// "dd.MM.yyyy HH:mm:ss", "M/d/yyyy h:mm:ss AP" and "yyyy-MM-dd HH:mm:ss" (each also as the
// date alone or the time alone), so that files from machines with other regional settings keep
// their dates. A time alone falls on the zero date. Anything else gives an invalid date.
QDateTime parse(const QString &text, const QLocale &locale);

// parse() with the locale's formats worked out once, for reading many dates.
class Reader
{
public:
    explicit Reader(const QLocale &locale);
    QDateTime read(const QString &text) const;

private:
    QLocale m_locale;
    QString m_dateForm;
    QString m_timeForm;
};

} // namespace Feedsmith::DateText

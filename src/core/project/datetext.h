// Entry dates as the project file holds them: "yyyy-MM-dd HH:mm:ss +HH:MM" on every machine, the
// wall time and its offset from UTC; files written earlier hold the local time alone, as
// "yyyy-MM-dd HH:mm:ss" or in the regional short date and long time of the machine that wrote
// them.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace Feedsmith::DateText {

// The locale's short date with a four-digit year, e.g. "dd.MM.yyyy" or "M/d/yyyy".
QString dateFormat(const QLocale &locale);
// The locale's long time with seconds and without a time-zone name, e.g. "HH:mm:ss".
QString timeFormat(const QLocale &locale);

// The text of an entry date in the project file: "2026-12-06 19:41:29 +01:00" whatever the
// locale, the moment's own offset closing it (with its seconds where a local mean time of old has
// them), so that another machine reads the same instant whatever its time zone. The zero date
// gives the time alone; a year outside 1000 to 9999 is written without the offset (and a time of
// exactly midnight as the date alone), as earlier versions wrote every date.
QString storedText(const QDateTime &moment);

// A date as the window shows it, in the locale's short date and long time ("06.12.2026
// 19:41:29" under German settings), with the same rules for midnight and the zero date.
QString format(const QDateTime &moment, const QLocale &locale);

// Moments as the entry list shows them: day, month, hours and minutes in the order and with the
// separators of the locale, without the year ("08.12. 19:13" in German, "12/8 7:13 PM" in US
// English). The form is worked out once from the locale's short date and time.
class ShortForm
{
public:
    explicit ShortForm(const QLocale &locale);
    // The locale's short date with its year and the separator that joins the year to the rest
    // left out, a blank, and its short time without seconds: "dd.MM. HH:mm", "M/d h:mm AP".
    const QString &format() const { return m_format; }
    QString text(const QDateTime &moment) const { return m_locale.toString(moment, m_format); }

private:
    QLocale m_locale;
    QString m_format;
};

// Reads a date text with its offset ("yyyy-MM-dd HH:mm:ss +01:00", or "+0100" as earlier versions
// wrote the second pass through a repeated hour) as that instant in local time. Without one, it
// is a local time: read as "yyyy-MM-dd HH:mm:ss" first, then in the locale's own form, then in the
// common forms "dd.MM.yyyy HH:mm:ss" and the slash forms "d/M/yyyy" and "M/d/yyyy" with a 12- or
// 24-hour time (each also as the date alone or the time alone), so that files from machines with
// other regional settings keep their dates. Failing those, any numeric date with a four-digit
// year first or last, separated by "/", "." or "-" (dots and dashes with the year last put the
// day first), and a time with ":" or "." between hours, minutes and optional seconds, with
// AM/PM, "a.m."/"p.m." or the locale's own day-period text before or after it. A slash date that
// both orders can read is read in the day and month order of the locale. A time alone falls on
// the zero date; a local time that the clock skips (the spring-forward gap) moves forward to the
// first time after the gap. Anything else gives an invalid date.
QDateTime parse(const QString &text, const QLocale &locale);

// A date as feeds write it: RFC 822 ("Sun, 06 Dec 2026 19:41:29 +0100", the day name optional
// and its comma too, a two- or four-digit year, seconds optional and with a fraction, a numeric
// zone with or without a colon, "GMT", "UT", "Z", a military letter, a name of UTC with an offset
// such as "GMT+01:00", one of the common zone names from BST and CEST to AEST and PST, and the
// zone's name in parentheses after an offset) or a W3C date ("2026-12-06T19:41:29Z",
// "2026-12-06T19:41:29.5-05:00", "2026-12-06T19:41", "2026-12-06", "2026-12", and the basic
// form "20261206T194129Z"), which without a zone is UTC. A leap second (":60") is read as the
// second before it. Runs of blanks and line breaks count as one blank. Invalid for anything else
// and for years outside 1000 to 9999.
QDateTime parseInternetDate(QStringView text);

// A date or time format made only of numbers, short month names, separators and an AM/PM
// marker, prepared for reading many texts quickly. Formats with anything else (day names,
// zones, quoted text) are not prepared and are left to QLocale.
class NumericForm
{
public:
    static std::optional<NumericForm> prepare(const QString &format, const QLocale &locale);
    // The date and time the text gives; fields the form lacks stay as in `base`.
    std::optional<QDateTime> read(QStringView text, const QDate &baseDate) const;

private:
    enum class Field { Day, Month, MonthName, Year, Hour24, Hour12, Minute, Second, AmPm, Literal };
    struct Piece
    {
        Field field;
        int maxDigits = 2;
        QString literal;
    };
    std::vector<Piece> m_pieces;
    QString m_am;
    QString m_pm;
    QStringList m_monthNames; // short names, January first
};

// parse() with the locale's formats worked out once, for reading many dates.
class Reader
{
public:
    explicit Reader(const QLocale &locale);
    QDateTime read(const QString &text) const;
    // A date typed into a field as the project stores it: a local time that reads as a date
    // gets the form of storedText, offset and all, so that it names the same instant on every
    // machine; a text with its offset already, a time alone and anything unread stay as typed.
    QString stored(const QString &typed) const;

private:
    struct Form
    {
        QLocale locale;
        QString date;
        QString time;
        std::optional<NumericForm> dateTime, dateAlone, timeAlone;
    };
    static Form makeForm(const QLocale &locale, const QString &date, const QString &time);
    static QDateTime readForm(const Form &form, const QString &text);

    std::vector<Form> m_forms; // the locale's own first, then the common ones
    bool m_dayFirst = false;
    QString m_am, m_pm; // the locale's day-period texts
};

} // namespace Feedsmith::DateText

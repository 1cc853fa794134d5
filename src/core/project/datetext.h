// Entry dates as the project file holds them: the regional short date and long time.
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
};

} // namespace Feedsmith::DateText

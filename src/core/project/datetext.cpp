// Entry dates in the project file.
#include "core/project/datetext.h"

#include "core/document/rssentry.h"
#include "core/output/rsswriter.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <utility>

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

QString format(const QDateTime &moment, const QLocale &locale)
{
    const QDate date = moment.date();
    const QTime time = moment.time();
    if (date == zeroDate().date())
        return locale.toString(time, timeFormat(locale));
    if (time == QTime(0, 0))
        return locale.toString(date, dateFormat(locale));
    return locale.toString(date, dateFormat(locale)) + u' ' + locale.toString(time, timeFormat(locale));
}

namespace {

// A date or time format cut into its fields ("dd", "yyyy") and the text between them, quoted
// text counting as text.
struct FormatPiece
{
    QString text;
    bool field = false;
};

std::vector<FormatPiece> formatPieces(const QString &format)
{
    std::vector<FormatPiece> pieces;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        qsizetype end = i + 1;
        const bool field = c.isLetter() && c.unicode() < 0x80;
        if (field) {
            while (end < format.size() && format.at(end) == c)
                ++end;
        } else {
            // Up to the next field; a quote runs to its closing quote.
            bool quoted = c == u'\'';
            while (end < format.size()) {
                const QChar d = format.at(end);
                if (!quoted && d.isLetter() && d.unicode() < 0x80)
                    break;
                if (d == u'\'')
                    quoted = !quoted;
                ++end;
            }
        }
        pieces.push_back({format.mid(i, end - i), field});
        i = end;
    }
    return pieces;
}

// The short date without the year: with the year first, the text after it goes too; else the
// text before it and any after it (a year's own abbreviation such as "'g'."), but a dot after the
// month stays, as in "08.12.".
QString dateWithoutYear(const QString &format)
{
    std::vector<FormatPiece> pieces = formatPieces(format);
    const auto isYear = [](const FormatPiece &p) { return p.field && p.text.startsWith(u'y'); };
    const auto year = std::find_if(pieces.begin(), pieces.end(), isYear);
    if (year == pieces.end())
        return format;
    const auto at = year - pieces.begin();
    const bool fieldBefore = std::any_of(pieces.begin(), year, [](const FormatPiece &p) { return p.field; });
    const bool fieldAfter = std::any_of(year + 1, pieces.end(), [](const FormatPiece &p) { return p.field; });
    qsizetype from = at;
    qsizetype to = at + 1;
    if (!fieldBefore || fieldAfter) {
        if (to < qsizetype(pieces.size()) && !pieces[size_t(to)].field)
            ++to;
    } else {
        to = qsizetype(pieces.size());
        if (from > 0 && !pieces[size_t(from - 1)].field) {
            --from;
            if (pieces[size_t(from)].text.startsWith(u'.')) {
                pieces[size_t(from)].text = u"."_s;
                ++from;
            }
        }
    }
    pieces.erase(pieces.begin() + from, pieces.begin() + to);
    QString out;
    for (const FormatPiece &p : pieces)
        out += p.text;
    return out.trimmed();
}

// The short time with hours and minutes only: seconds and a time zone go with the text before them.
QString timeWithoutSeconds(const QString &format)
{
    std::vector<FormatPiece> pieces = formatPieces(format);
    for (size_t i = pieces.size(); i-- > 0;) {
        if (pieces[i].field
            && (pieces[i].text.startsWith(u's') || pieces[i].text.startsWith(u't')
                || pieces[i].text.startsWith(u'z'))) {
            const size_t from = i > 0 && !pieces[i - 1].field ? i - 1 : i;
            pieces.erase(pieces.begin() + qsizetype(from), pieces.begin() + qsizetype(i) + 1);
            i = from;
        }
    }
    QString out;
    for (const FormatPiece &p : pieces)
        out += p.text;
    return out.trimmed();
}

} // namespace

ShortForm::ShortForm(const QLocale &locale)
    : m_locale(locale)
    , m_format(dateWithoutYear(locale.dateFormat(QLocale::ShortFormat)) + u' '
               + timeWithoutSeconds(locale.timeFormat(QLocale::ShortFormat)))
{ }

QString storedText(const QDateTime &moment)
{
    const QDate date = moment.date();
    const QTime time = moment.time();
    // Written digit by digit: a large project writes one date per entry, and the general
    // formatting costs more than the rest of writing the entry. Years outside 1000 to 9999 and
    // invalid dates take the general route.
    auto digits = [](QString &out, int value, int count) {
        constexpr std::array<int, 4> powers = {1, 10, 100, 1000};
        for (int k = count - 1; k >= 0; --k)
            out += QChar(u'0' + value / powers[size_t(k)] % 10);
    };
    // a with aDigits digits, then b and c with two each, joined by separator.
    auto joined = [&digits](int a, int aDigits, int b, int c, QChar separator) {
        QString out;
        out.reserve(10);
        digits(out, a, aDigits);
        out += separator;
        digits(out, b, 2);
        out += separator;
        digits(out, c, 2);
        return out;
    };
    const bool plain = date.isValid() && time.isValid() && date.year() >= 1000 && date.year() <= 9999;
    const QString timeText =
            plain ? joined(time.hour(), 2, time.minute(), time.second(), u':') : time.toString(u"HH:mm:ss");
    if (date == zeroDate().date())
        return timeText;
    const QString dateText =
            plain ? joined(date.year(), 4, date.month(), date.day(), u'-') : date.toString(u"yyyy-MM-dd");
    if (!plain)
        return time == QTime(0, 0) ? dateText : dateText + u' ' + timeText;
    // The wall time with its offset from UTC names the same instant on a machine in any zone,
    // midnight too; a wall time alone would be read as that machine's local time.
    const int offset = moment.offsetFromUtc();
    const int seconds = std::abs(offset);
    QString text = dateText + u' ' + timeText + (offset < 0 ? u" -"_s : u" +"_s);
    text.reserve(text.size() + 6);
    digits(text, seconds / 3600, 2);
    text += u':';
    digits(text, seconds / 60 % 60, 2);
    if (seconds % 60 != 0) { // the local mean times of the nineteenth century
        text += u':';
        digits(text, seconds % 60, 2);
    }
    return text;
}

namespace {

// A local date and time; one that the clock skips moves forward to the first valid minute.
QDateTime localDateTime(const QDate &date, const QTime &time)
{
    QDateTime moment(date, time);
    if (moment.isValid() || !date.isValid() || !time.isValid())
        return moment;
    QDateTime minute(date, QTime(time.hour(), time.minute()));
    for (int step = 0; step < 24 * 60 && !minute.isValid(); ++step) {
        const QTime next = minute.time().addSecs(60);
        if (next == QTime(0, 0))
            break;
        minute = QDateTime(date, next);
    }
    return minute;
}

// Whether the locale writes the day before the month in its short date. The C locale has no
// order of its own; it reads slash dates the American way.
bool dayFirst(const QLocale &locale)
{
    if (locale.language() == QLocale::C)
        return false;
    const QString form = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype day = form.indexOf(u'd');
    const qsizetype month = form.indexOf(u'M');
    return day >= 0 && month >= 0 && day < month;
}

} // namespace

std::optional<NumericForm> NumericForm::prepare(const QString &format, const QLocale &locale)
{
    if (locale.zeroDigit() != u"0"_s)
        return std::nullopt; // other digits are left to QLocale
    NumericForm form;
    form.m_am = locale.amText();
    form.m_pm = locale.pmText();
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = format[i];
        qsizetype j = i;
        while (j < n && format[j] == c)
            ++j;
        const qsizetype count = j - i;
        Piece piece;
        switch (c.unicode()) {
        case u'd':
            if (count > 2)
                return std::nullopt; // day names
            piece.field = Field::Day;
            break;
        case u'M':
            if (count > 3)
                return std::nullopt; // long month names
            piece.field = count == 3 ? Field::MonthName : Field::Month;
            if (count == 3 && form.m_monthNames.isEmpty()) {
                for (int m = 1; m <= 12; ++m)
                    form.m_monthNames << locale.monthName(m, QLocale::ShortFormat);
            }
            break;
        case u'y':
            if (count != 4)
                return std::nullopt;
            piece.field = Field::Year;
            piece.maxDigits = 4;
            break;
        case u'H': piece.field = Field::Hour24; break;
        case u'h': piece.field = Field::Hour12; break;
        case u'm': piece.field = Field::Minute; break;
        case u's': piece.field = Field::Second; break;
        case u'A':
        case u'a':
            // "AP", "ap", "A" or "a": the AM/PM marker.
            piece.field = Field::AmPm;
            j = (i + 1 < n && format[i + 1].toLower() == u'p') ? i + 2 : i + 1;
            break;
        case u'P':
        case u'p':
            // The second letter of an "AP" already handled; a lone one is a literal in Qt too.
            piece.field = Field::Literal;
            piece.literal = format.mid(i, count);
            break;
        case u'\'': {
            // Quoted text is literal; two quotes in a row stand for one.
            piece.field = Field::Literal;
            qsizetype k = i + 1;
            for (;;) {
                if (k >= n)
                    return std::nullopt; // unterminated quote
                if (format[k] == u'\'') {
                    if (k + 1 < n && format[k + 1] == u'\'') {
                        piece.literal += u'\'';
                        k += 2;
                        continue;
                    }
                    break;
                }
                piece.literal += format[k++];
            }
            if (k == i + 1)
                piece.literal = u"'"_s; // '' alone is a quote
            j = k + 1;
            break;
        }
        default:
            if (c.isLetter())
                return std::nullopt; // zones, day names and the like: left to QLocale
            piece.field = Field::Literal;
            piece.literal = format.mid(i, count);
            break;
        }
        if ((piece.field == Field::Hour24 || piece.field == Field::Hour12 || piece.field == Field::Minute
             || piece.field == Field::Second)
            && count > 2)
            return std::nullopt;
        form.m_pieces.push_back(piece);
        i = j;
    }
    bool twelveHour = false;
    bool marker = false;
    for (const Piece &p : form.m_pieces) {
        twelveHour |= p.field == Field::Hour12;
        marker |= p.field == Field::AmPm;
    }
    if (twelveHour != marker)
        return std::nullopt;
    return form;
}

std::optional<QDateTime> NumericForm::read(QStringView text, const QDate &baseDate) const
{
    int day = baseDate.day();
    int month = baseDate.month();
    int year = baseDate.year();
    int hour = 0;
    int minute = 0;
    int second = 0;
    int pm = -1;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    for (const Piece &piece : m_pieces) {
        if (piece.field == Field::Literal) {
            if (text.mid(pos, piece.literal.size()) != piece.literal)
                return std::nullopt;
            pos += piece.literal.size();
            continue;
        }
        if (piece.field == Field::AmPm) {
            if (!m_am.isEmpty() && text.mid(pos, m_am.size()).compare(m_am, Qt::CaseInsensitive) == 0) {
                pm = 0;
                pos += m_am.size();
            } else if (!m_pm.isEmpty() && text.mid(pos, m_pm.size()).compare(m_pm, Qt::CaseInsensitive) == 0) {
                pm = 1;
                pos += m_pm.size();
            } else {
                return std::nullopt;
            }
            continue;
        }
        if (piece.field == Field::MonthName) {
            int found = 0;
            for (int m = 0; m < m_monthNames.size() && !found; ++m) {
                const QString &name = m_monthNames.at(m);
                if (!name.isEmpty() && text.mid(pos, name.size()).compare(name, Qt::CaseInsensitive) == 0) {
                    found = m + 1;
                    pos += name.size();
                }
            }
            if (!found)
                return std::nullopt;
            month = found;
            continue;
        }
        int value = 0;
        int digits = 0;
        while (pos < n && digits < piece.maxDigits && text[pos] >= u'0' && text[pos] <= u'9') {
            value = value * 10 + (text[pos].unicode() - u'0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || (piece.field == Field::Year && digits != 4))
            return std::nullopt;
        switch (piece.field) {
        case Field::Day: day = value; break;
        case Field::Month: month = value; break;
        case Field::Year: year = value; break;
        case Field::Hour24: hour = value; break;
        case Field::Hour12:
            if (value < 1 || value > 12)
                return std::nullopt;
            hour = value % 12;
            break;
        case Field::Minute: minute = value; break;
        case Field::Second: second = value; break;
        default: break;
        }
    }
    if (pos != n)
        return std::nullopt;
    if (pm == 1)
        hour += 12;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return localDateTime(date, time);
}

namespace {

QDateTime tryForms(const QString &text, const QLocale &locale, const QString &dateForm, const QString &timeForm)
{
    QDateTime dt = locale.toDateTime(text, dateForm + u' ' + timeForm);
    if (dt.isValid())
        return dt;
    if (const QDateTime inGap = locale.toDateTime(text, dateForm + u' ' + timeForm); !inGap.isValid()) {
        // A skipped local time reads as no date at all; its parts still can.
        const QDate d = locale.toDate(text.section(u' ', 0, 0), dateForm);
        const QTime t = locale.toTime(text.section(u' ', 1), timeForm);
        if (d.isValid() && t.isValid())
            return localDateTime(d, t);
    }
    const QDate d = locale.toDate(text, dateForm);
    if (d.isValid())
        return QDateTime(d, QTime(0, 0));
    const QTime t = locale.toTime(text, timeForm);
    if (t.isValid())
        return QDateTime(zeroDate().date(), t);
    return {};
}

// One piece of a date text: a number of up to four digits, one of the separators "/.-:", or a
// day-period marker (value 0 for the morning, 1 for the afternoon).
struct Token
{
    enum Kind : quint8 { Number, Separator, Marker } kind = Number;
    bool blankBefore = false;
    char16_t separator = 0;
    int value = 0;
    int digits = 0;
};

// The longest text read: a dotted date with a trailing dot, a marker and a time with seconds.
constexpr int MaxTokens = 12;
using Tokens = std::array<Token, MaxTokens>;

// The length of marker at text[i], or 0 when it is not there. Letters match in any case and
// blanks any blank: Spanish "p. m." comes with a no-break space or a plain one.
qsizetype markerLength(QStringView text, qsizetype i, QStringView marker)
{
    if (marker.isEmpty() || text.size() - i < marker.size())
        return 0;
    for (qsizetype k = 0; k < marker.size(); ++k) {
        const QChar a = text[i + k], b = marker[k];
        if (a != b && !(a.isSpace() && b.isSpace()) && a.toCaseFolded() != b.toCaseFolded())
            return 0;
    }
    return marker.size();
}

// The number of tokens in text, or -1 for anything that is not one (a word, a long number).
int tokenize(QStringView text, QStringView am, QStringView pm, Tokens &tokens)
{
    // The longest marker that fits wins, so that a locale's "a" does not cut "a.m." short.
    const std::array<std::pair<QStringView, int>, 6> markers = {
            {{am, 0}, {pm, 1}, {u"a.m.", 0}, {u"p.m.", 1}, {u"am", 0}, {u"pm", 1}}};
    int count = 0;
    bool blank = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = text[i];
        if (c.isSpace()) {
            blank = true;
            ++i;
            continue;
        }
        if (count == MaxTokens)
            return -1;
        Token &token = tokens[size_t(count++)];
        token = Token{};
        token.blankBefore = std::exchange(blank, false);
        if (c >= u'0' && c <= u'9') {
            for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
                if (++token.digits > 4)
                    return -1;
                token.value = token.value * 10 + (text[i].unicode() - u'0');
            }
        } else if (c == u'/' || c == u'.' || c == u'-' || c == u':') {
            token.kind = Token::Separator;
            token.separator = c.unicode();
            ++i;
        } else {
            qsizetype length = 0;
            for (const auto &[marker, afternoon] : markers) {
                if (const qsizetype found = markerLength(text, i, marker); found > length) {
                    length = found;
                    token.value = afternoon;
                }
            }
            if (length == 0)
                return -1;
            token.kind = Token::Marker;
            i += length;
        }
    }
    return count;
}

bool isSeparator(const Token &token, char16_t separator)
{
    return token.kind == Token::Separator && token.separator == separator && !token.blankBefore;
}

// Reads a date with a four-digit year first or last from the start of the tokens into date.
// Returns the index after it, 0 when the tokens do not start that way, -1 for no such day.
int readDate(const Tokens &t, int count, bool dayFirst, QDate &date)
{
    if (count < 5 || t[0].kind != Token::Number || t[1].kind != Token::Separator || t[1].separator == u':')
        return 0;
    const char16_t sep = t[1].separator;
    if (t[2].kind != Token::Number || !isSeparator(t[1], sep) || !isSeparator(t[3], sep) || t[4].kind != Token::Number)
        return 0;
    const bool yearFirst = t[0].digits == 4 && t[2].digits <= 2 && t[4].digits <= 2;
    if (!yearFirst && (t[4].digits != 4 || t[0].digits > 2 || t[2].digits > 2))
        return 0; // two-digit years among them: they would read back a century off
    // Blanks follow only dots, as in "2026. 12. 06." with its trailing dot.
    if (sep != u'.' && (t[2].blankBefore || t[4].blankBefore))
        return -1;
    const int end = sep == u'.' && count > 5 && isSeparator(t[5], u'.') ? 6 : 5;
    if (yearFirst) {
        date = QDate(t[0].value, t[2].value, t[4].value);
    } else {
        // Dots and dashes put the day first; slashes follow the locale, and the other order
        // reads only what the locale's cannot.
        const bool dayFirstHere = sep != u'/' || dayFirst;
        const int a = t[0].value, b = t[2].value, year = t[4].value;
        date = dayFirstHere ? QDate(year, b, a) : QDate(year, a, b);
        if (!date.isValid() && sep == u'/')
            date = dayFirstHere ? QDate(year, a, b) : QDate(year, b, a);
    }
    return date.isValid() ? end : -1;
}

// Reads the tokens from i to the end as a time, the first after a blank when a date precedes
// it; invalid for anything else.
QTime readTime(const Tokens &t, int i, int count, bool afterDate)
{
    if (i >= count || (afterDate && !t[i].blankBefore))
        return {};
    int afternoon = -1;
    if (t[i].kind == Token::Marker)
        afternoon = t[i++].value;
    if (i + 3 > count || t[i].kind != Token::Number || t[i].digits > 2 || t[i + 1].kind != Token::Separator)
        return {};
    const char16_t sep = t[i + 1].separator;
    if ((sep != u':' && sep != u'.') || !isSeparator(t[i + 1], sep) || t[i + 2].kind != Token::Number
        || t[i + 2].digits != 2 || t[i + 2].blankBefore)
        return {};
    int hour = t[i].value;
    const int minute = t[i + 2].value;
    int second = 0;
    i += 3;
    const bool seconds = i + 2 <= count && isSeparator(t[i], sep) && t[i + 1].kind == Token::Number
            && t[i + 1].digits == 2 && !t[i + 1].blankBefore;
    if (seconds) {
        second = t[i + 1].value;
        i += 2;
    }
    if (afternoon < 0 && i < count && t[i].kind == Token::Marker)
        afternoon = t[i++].value;
    if (i != count)
        return {};
    // Alone, "6.12.26" is as much a date with a two-digit year as a time, so it stays unread.
    if (!afterDate && sep == u'.' && seconds && afternoon < 0 && hour >= 1 && minute >= 1 && minute <= 12)
        return {};
    if (afternoon >= 0) {
        if (hour < 1 || hour > 12)
            return {};
        hour = hour % 12 + 12 * afternoon;
    }
    return QTime(hour, minute, second); // invalid for hours above 23, minutes or seconds above 59
}

// Numeric dates and times in the forms regional settings write, read without QLocale.
QDateTime readAnyForm(QStringView text, bool dayFirst, QStringView am, QStringView pm)
{
    Tokens tokens;
    const int count = tokenize(text, am, pm, tokens);
    if (count <= 0)
        return {};
    QDate date;
    const int end = readDate(tokens, count, dayFirst, date);
    if (end < 0)
        return {};
    if (end == count)
        return localDateTime(date, QTime(0, 0));
    const QTime time = readTime(tokens, end, count, end > 0);
    if (!time.isValid())
        return {};
    return localDateTime(end > 0 ? date : zeroDate().date(), time);
}

// The stored form with an offset, "2026-12-06 19:41:29 +01:00" (its seconds after another
// colon), or "+0100" as earlier versions wrote it, as that instant in local time; read digit by
// digit, as every date of a large project comes this way. Nothing for any other text; an
// invalid date for a text of that form that names no moment.
std::optional<QDateTime> readWithOffset(QStringView text)
{
    const qsizetype n = text.size();
    if (n != 25 && n != 26 && n != 29)
        return std::nullopt;
    const auto number = [text](qsizetype at, int count) {
        int value = 0;
        for (qsizetype i = at; i < at + count; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    const bool colon = n >= 26;
    if (text[4] != u'-' || text[7] != u'-' || text[10] != u' ' || text[13] != u':' || text[16] != u':'
        || text[19] != u' ' || (text[20] != u'+' && text[20] != u'-') || (colon && text[23] != u':')
        || (n == 29 && text[26] != u':'))
        return std::nullopt;
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    const int offsetHours = number(21, 2), offsetMinutes = number(colon ? 24 : 23, 2);
    const int offsetSeconds = n == 29 ? number(27, 2) : 0;
    if (std::min({year, month, day, hour, minute, second, offsetHours, offsetMinutes, offsetSeconds}) < 0)
        return std::nullopt;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid() || offsetHours > 23 || offsetMinutes > 59 || offsetSeconds > 59)
        return QDateTime();
    const int offset = (offsetHours * 3600 + offsetMinutes * 60 + offsetSeconds) * (text[20] == u'-' ? -1 : 1);
    return QDateTime(date, time, Qt::UTC).addSecs(-offset).toLocalTime();
}

} // namespace

Reader::Form Reader::makeForm(const QLocale &locale, const QString &date, const QString &time)
{
    Form form{locale, date, time, {}, {}, {}};
    form.dateTime = NumericForm::prepare(date + u' ' + time, locale);
    form.dateAlone = NumericForm::prepare(date, locale);
    form.timeAlone = NumericForm::prepare(time, locale);
    return form;
}

Reader::Reader(const QLocale &locale)
{
    const QLocale c = QLocale::c();
    m_forms.push_back(makeForm(c, u"yyyy-MM-dd"_s, u"HH:mm:ss"_s));
    m_forms.push_back(makeForm(locale, dateFormat(locale), timeFormat(locale)));
    m_forms.push_back(makeForm(c, u"dd.MM.yyyy"_s, u"HH:mm:ss"_s));
    // Slash dates in the locale's order of day and month first: the other order reads only
    // what the first cannot (a day above 12).
    m_dayFirst = dayFirst(locale);
    m_am = locale.amText();
    m_pm = locale.pmText();
    const QString first = m_dayFirst ? u"d/M/yyyy"_s : u"M/d/yyyy"_s;
    const QString second = m_dayFirst ? u"M/d/yyyy"_s : u"d/M/yyyy"_s;
    for (const QString &date : {first, second}) {
        m_forms.push_back(makeForm(c, date, u"h:mm:ss AP"_s));
        m_forms.push_back(makeForm(c, date, u"H:mm:ss"_s));
    }
}

QDateTime Reader::readForm(const Form &form, const QString &text)
{
    // Prepared forms read numbers directly; the others go through QLocale.
    const QDate zero = zeroDate().date();
    if (form.dateTime && form.dateAlone && form.timeAlone) {
        if (auto dt = form.dateTime->read(text, zero))
            return *dt;
        if (auto d = form.dateAlone->read(text, zero))
            return *d;
        if (auto t = form.timeAlone->read(text, zero))
            return *t;
        return {};
    }
    return tryForms(text, form.locale, form.date, form.time);
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
    if (const std::optional<QDateTime> instant = readWithOffset(text))
        return *instant;
    for (const Form &form : m_forms) {
        if (QDateTime dt = readForm(form, text); dt.isValid())
            return dt;
    }
    return readAnyForm(text, m_dayFirst, m_am, m_pm);
}

QString Reader::stored(const QString &typed) const
{
    const QString text = typed.trimmed();
    if (text.isEmpty() || readWithOffset(text))
        return typed;
    const QDateTime moment = read(text);
    if (!moment.isValid() || moment.date() == zeroDate().date())
        return typed;
    return storedText(moment);
}

} // namespace Feedsmith::DateText

namespace Feedsmith::DateText {

namespace {

// The minutes of a numeric offset after its sign: "01:00", "0100", "01" or "1".
std::optional<int> offsetMinutes(QStringView sign, QStringView digits)
{
    QString plain = digits.toString();
    const bool colon = plain.size() >= 4 && plain.at(plain.size() - 3) == u':';
    if (colon)
        plain.remove(plain.size() - 3, 1);
    bool ok = false;
    const int value = plain.toInt(&ok);
    if (!ok || plain.isEmpty() || plain.size() > 4 || !plain.front().isDigit() || (colon && plain.size() < 3))
        return std::nullopt;
    // One or two digits are hours alone; three or four, hours and minutes.
    const int hours = plain.size() <= 2 ? value : value / 100;
    const int minutes = plain.size() <= 2 ? 0 : value % 100;
    if (hours > 23 || minutes > 59)
        return std::nullopt;
    return (hours * 60 + minutes) * (sign == u"-" ? -1 : 1);
}

// The zone names feeds write after a time, with their offsets in minutes: RFC 822's own, and
// those of the places most feeds come from. A name several places use stands for the one feeds
// mean most often (CST is Central Standard Time, IST India's).
struct NamedZone
{
    const char16_t *name;
    int minutes;
};
constexpr NamedZone NamedZones[] = {
        {u"GMT", 0},     {u"UT", 0},      {u"UTC", 0},    {u"Z", 0},      {u"WET", 0},    {u"WEST", 60},
        {u"BST", 60},    {u"CET", 60},    {u"MET", 60},   {u"CEST", 120}, {u"MEST", 120}, {u"EET", 120},
        {u"EEST", 180},  {u"MSK", 180},   {u"IST", 330},  {u"WIB", 420},  {u"AWST", 480}, {u"HKT", 480},
        {u"SGT", 480},   {u"PHT", 480},   {u"JST", 540},  {u"KST", 540},  {u"ACST", 570}, {u"AEST", 600},
        {u"ACDT", 630},  {u"AEDT", 660},  {u"NZST", 720}, {u"NZDT", 780}, {u"NDT", -150}, {u"NST", -210},
        {u"ADT", -180},  {u"BRT", -180},  {u"ART", -180}, {u"AST", -240}, {u"EDT", -240}, {u"EST", -300},
        {u"CDT", -300},  {u"CST", -360},  {u"MDT", -360}, {u"MST", -420}, {u"PDT", -420}, {u"PST", -480},
        {u"AKDT", -480}, {u"AKST", -540}, {u"HST", -600},
};

// The offset in minutes of an RFC 822 zone, or nullopt for a zone it does not know: a numeric
// one ("+0100", "+01:00"), a name of the table, or a name of UTC with an offset after it
// ("GMT+01:00", "UTC-5").
std::optional<int> rfc822ZoneMinutes(QStringView zone)
{
    if (zone.isEmpty())
        return 0;
    if (zone.front() == u'+' || zone.front() == u'-')
        return zone.size() == 5 || zone.size() == 6 ? offsetMinutes(zone.first(1), zone.sliced(1)) : std::nullopt;
    for (const QStringView utc : {u"GMT", u"UTC", u"UT"}) {
        if (zone.size() > utc.size() + 1 && zone.startsWith(utc, Qt::CaseInsensitive)
            && (zone[utc.size()] == u'+' || zone[utc.size()] == u'-'))
            return offsetMinutes(zone.sliced(utc.size(), 1), zone.sliced(utc.size() + 1));
    }
    for (const NamedZone &named : NamedZones) {
        if (zone.compare(QStringView(named.name), Qt::CaseInsensitive) == 0)
            return named.minutes;
    }
    // RFC 2822 reads the military one-letter zones as carrying no information: UTC.
    if (zone.size() == 1 && zone.front().isLetter())
        return 0;
    return std::nullopt;
}

// "19:41", "19:41:29" or "19:41:29.5"; a leap second (":60") is read as the second before it.
QTime rfc822Time(QStringView text)
{
    const QList<QStringView> parts = text.split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return {};
    bool ok = true;
    const auto number = [&ok](QStringView part) {
        bool read = false;
        const int value = part.size() >= 1 && part.size() <= 2 && part.front().isDigit() ? part.toInt(&read) : -1;
        ok = ok && read;
        return value;
    };
    const int hour = number(parts[0]);
    const int minute = number(parts[1]);
    int second = 0;
    int milliseconds = 0;
    if (parts.size() == 3) {
        const qsizetype dot = parts[2].indexOf(u'.');
        second = number(dot < 0 ? parts[2] : parts[2].first(dot));
        if (dot >= 0) {
            const QStringView fraction = parts[2].sliced(dot + 1);
            if (fraction.isEmpty()
                || !std::all_of(fraction.begin(), fraction.end(), [](QChar c) { return c.isDigit(); }))
                return {};
            milliseconds =
                    fraction.first(std::min<qsizetype>(3, fraction.size())).toString().leftJustified(3, u'0').toInt();
        }
    }
    if (!ok)
        return {};
    return QTime(hour, minute, second == 60 ? 59 : second, milliseconds);
}

QDateTime parseRfc822(QStringView text)
{
    // Feeds write the day name with or without its comma, glued to the day or not, and may
    // add the zone's name in parentheses after its offset.
    QList<QStringView> words;
    for (QStringView word : text.tokenize(u' ', Qt::SkipEmptyParts)) {
        if (words.isEmpty() && word.contains(u',')) {
            const qsizetype comma = word.indexOf(u',');
            if (comma + 1 < word.size())
                words.append(word.sliced(comma + 1));
            continue;
        }
        words.append(word);
    }
    // The day name is optional and tells nothing the date does not.
    if (!words.isEmpty() && words.front().front().isLetter())
        words.removeFirst();
    if (words.size() == 6 && words.back().startsWith(u'('))
        words.removeLast();
    if (words.size() < 4 || words.size() > 5)
        return {};
    bool ok = false;
    const int day = words[0].toInt(&ok);
    if (!ok)
        return {};
    int month = 0;
    for (int m = 0; m < 12; ++m) {
        if (words[1].left(3).compare(QLatin1StringView(MonthNames[size_t(m)]), Qt::CaseInsensitive) == 0)
            month = m + 1;
    }
    int year = words[2].toInt(&ok);
    if (!ok || month == 0 || words[2].size() < 2 || words[2].size() > 4)
        return {};
    if (words[2].size() == 2)
        year += year < 50 ? 2000 : 1900;
    const QTime time = rfc822Time(words[3]);
    const std::optional<int> zone = rfc822ZoneMinutes(words.size() == 5 ? words[4] : QStringView());
    const QDate date(year, month, day);
    if (!date.isValid() || !time.isValid() || !zone)
        return {};
    return QDateTime(date, time, QTimeZone(*zone * 60));
}

// A W3C date: the year, the month or the day alone, or the day with a time to the minute,
// second or fraction and an optional zone; no zone means UTC, as it does for feed readers.
QDateTime parseIsoDate(const QString &text)
{
    // The extended form ("2026-12-06T19:41:29Z") and the basic one ("20261206T194129Z"), their
    // groups in the same order.
    static const QRegularExpression Extended(
            u"^(\\d{4})(?:-(\\d\\d)(?:-(\\d\\d)(?:[Tt ](\\d\\d):(\\d\\d)(?::(\\d\\d)(?:[.,](\\d+))?)?"
            " ?([Zz]|[+-]\\d\\d(?::?\\d\\d)?)?)?)?)?$"_s);
    static const QRegularExpression Basic(
            u"^(\\d{4})(\\d\\d)(\\d\\d)(?:[Tt](\\d\\d)(\\d\\d)(?:(\\d\\d)(?:[.,](\\d+))?)?"
            " ?([Zz]|[+-]\\d\\d(?::?\\d\\d)?)?)?$"_s);
    QRegularExpressionMatch m = Extended.match(text);
    if (!m.hasMatch())
        m = Basic.match(text);
    if (!m.hasMatch())
        return {};
    auto number = [&m](int group, int fallback) {
        const QStringView part = m.capturedView(group);
        return part.isEmpty() ? fallback : part.toInt();
    };
    const QDate date(number(1, 0), number(2, 1), number(3, 1));
    // A leap second (":60") is read as the second before it.
    const int second = number(6, 0);
    QTime time(number(4, 0), number(5, 0), second == 60 ? 59 : second);
    if (m.capturedLength(7) > 0)
        time = time.addMSecs(m.captured(7).left(3).leftJustified(3, u'0').toInt());
    const QStringView zone = m.capturedView(8);
    int offset = 0;
    if (zone.size() > 1) {
        const QString digits = zone.sliced(1).toString().remove(u':');
        const int hh = digits.left(2).toInt();
        const int mm = digits.size() > 2 ? digits.sliced(2).toInt() : 0;
        if (hh > 23 || mm > 59)
            return {};
        offset = (hh * 60 + mm) * (zone.front() == u'-' ? -60 : 60);
    }
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, QTimeZone(offset));
}

} // namespace

QDateTime parseInternetDate(QStringView text)
{
    // A date wrapped over lines in the feed reads as one.
    const QString trimmed = text.toString().simplified();
    QDateTime moment = parseIsoDate(trimmed);
    if (!moment.isValid())
        moment = parseRfc822(trimmed);
    if (!moment.isValid() || moment.date().year() < 1000 || moment.date().year() > 9999)
        return {};
    return moment;
}

} // namespace Feedsmith::DateText

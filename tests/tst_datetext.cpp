// Entry dates in project files: written in the locale's form, read back on any locale.
#include "core/document/rssentry.h"
#include "core/project/datetext.h"

#include <QTimeZone>
#include <QtTest>

using namespace Feedsmith;
using namespace Qt::StringLiterals;

class TestDateText : public QObject
{
    Q_OBJECT

private slots:
    void everyLocaleReadsWhatItWrites_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::newRow("afternoon with seconds") << QDateTime(QDate(2026, 12, 6), QTime(19, 41, 29));
        QTest::newRow("morning, single-digit day and month") << QDateTime(QDate(2027, 3, 1), QTime(9, 5, 7));
        QTest::newRow("just after midnight") << QDateTime(QDate(2026, 1, 31), QTime(0, 0, 1));
        QTest::newRow("noon") << QDateTime(QDate(2026, 7, 15), QTime(12, 0, 0));
        QTest::newRow("midnight writes the date alone") << QDateTime(QDate(2026, 12, 24), QTime(0, 0));
        QTest::newRow("zero date writes the time alone") << QDateTime(zeroDate().date(), QTime(10, 30, 0));
    }

    // Whatever the regional settings, a date written there reads back unchanged there. (Where
    // the program leaves a locale's forms to QLocale, they are Qt's to read.)
    void everyLocaleReadsWhatItWrites()
    {
        QFETCH(QDateTime, moment);
        const QList<QLocale> locales =
                QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
        int checked = 0;
        for (const QLocale &locale : locales) {
            const QString dateForm = DateText::dateFormat(locale);
            const QString timeForm = DateText::timeFormat(locale);
            if (!DateText::NumericForm::prepare(dateForm + u' ' + timeForm, locale))
                continue;
            const QString text = DateText::format(moment, locale);
            const QDateTime read = DateText::Reader(locale).read(text);
            QVERIFY2(read == moment,
                     qPrintable(u"%1: \"%2\" read as %3"_s.arg(locale.name(), text, read.toString(Qt::ISODate))));
            ++checked;
        }
        QVERIFY2(checked > 300, qPrintable(u"only %1 locales checked"_s.arg(checked)));
    }

    // The form a project stores, written digit by digit, against the general formatting: the
    // moment's own offset closes it, midnight too.
    void storedTextIsTheGeneralForm()
    {
        for (const QDateTime &moment :
             {QDateTime(QDate(2026, 12, 6), QTime(19, 41, 29)), QDateTime(QDate(2026, 12, 24), QTime(0, 0)),
              QDateTime(QDate(2026, 7, 1), QTime(9, 0), QTimeZone(-5 * 3600 - 1800)),
              QDateTime(zeroDate().date(), QTime(10, 30, 0)), QDateTime(QDate(999, 1, 2), QTime(3, 4, 5)),
              QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59)), QDateTime(QDate(1000, 1, 1), QTime(0, 0, 1))}) {
            const QString date = moment.date().toString(u"yyyy-MM-dd"_s);
            const QString time = moment.time().toString(u"HH:mm:ss"_s);
            const QString offset = moment.timeZone().displayName(moment, QTimeZone::OffsetName).mid(3);
            const QString expected = moment.date() == zeroDate().date() ? time
                    : moment.date().year() < 1000                       ? date + u' ' + time
                                                                        : date + u' ' + time + u' ' + offset;
            QCOMPARE(DateText::storedText(moment), expected);
        }
    }

    // The two passes through the hour the clock repeats keep their instants through the project.
    void repeatedHourKeepsItsInstant()
    {
        const QDateTime first = QDateTime(QDate(2026, 10, 25), QTime(0, 30), Qt::UTC).toLocalTime();
        const QDateTime second = first.addSecs(3600);
        QCOMPARE(first.time(), second.time());
        const QStringList stored{DateText::storedText(first), DateText::storedText(second)};
        QCOMPARE(stored, QStringList({u"2026-10-25 02:30:00 +02:00"_s, u"2026-10-25 02:30:00 +01:00"_s}));
        const DateText::Reader reader(QLocale::c());
        QCOMPARE(reader.read(stored[0]).toSecsSinceEpoch(), first.toSecsSinceEpoch());
        QCOMPARE(reader.read(stored[1]).toSecsSinceEpoch(), second.toSecsSinceEpoch());
    }

    void formsWithQuotedText()
    {
        const QLocale c = QLocale::c();
        const auto form = DateText::NumericForm::prepare(u"d 'de' M 'de' yyyy HH'h'mm''ss"_s, c);
        QVERIFY(form.has_value());
        QCOMPARE(form->read(u"6 de 12 de 2026 19h41'29", zeroDate().date()),
                 QDateTime(QDate(2026, 12, 6), QTime(19, 41, 29)));
        QVERIFY(!form->read(u"6 da 12 de 2026 19h41'29", zeroDate().date()));
        QVERIFY(!DateText::NumericForm::prepare(u"d 'de M yyyy"_s, c)); // unterminated quote
        QVERIFY(!DateText::NumericForm::prepare(u"dddd d.M.yyyy"_s, c)); // day names: left to QLocale
    }

    void commonFormsFromOtherMachines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime evening(QDate(2026, 12, 6), QTime(19, 41, 29));
        QTest::newRow("German") << u"06.12.2026 19:41:29"_s << evening;
        QTest::newRow("German, short day") << u"6.12.2026 19:41:29"_s << evening;
        const QDateTime later(QDate(2026, 12, 13), QTime(19, 41, 29));
        QTest::newRow("US with PM") << u"12/13/2026 7:41:29 PM"_s << later;
        QTest::newRow("US with lower-case pm") << u"12/13/2026 7:41:29 pm"_s << later;
        QTest::newRow("US 12 AM is midnight hour")
                << u"12/13/2026 12:05:00 AM"_s << QDateTime(QDate(2026, 12, 13), QTime(0, 5));
        QTest::newRow("British 24-hour") << u"13/12/2026 19:41:29"_s << later;
        QTest::newRow("ISO") << u"2026-12-06 19:41:29"_s << evening;
        QTest::newRow("stored with its offset") << u"2026-12-06 19:41:29 +01:00"_s << evening;
        QTest::newRow("stored on a machine in another zone") << u"2026-12-06 13:41:29 -05:00"_s << evening;
        QTest::newRow("offset of an earlier version") << u"2026-12-06 18:41:29 +0000"_s << evening;
        QTest::newRow("offset hour 24") << u"2026-12-06 19:41:29 +24:00"_s << QDateTime();
        QTest::newRow("German date alone") << u"06.12.2026"_s << QDateTime(QDate(2026, 12, 6), QTime(0, 0));
        QTest::newRow("time alone falls on the zero date")
                << u"19:41:29"_s << QDateTime(zeroDate().date(), QTime(19, 41, 29));
        QTest::newRow("blanks around") << u"  2026-12-06 19:41:29 "_s << evening;
        QTest::newRow("no such day") << u"31.02.2026 10:00:00"_s << QDateTime();
        QTest::newRow("hour 25") << u"06.12.2026 25:00:00"_s << QDateTime();
        QTest::newRow("trailing text") << u"06.12.2026 19:41:29 x"_s << QDateTime();
        QTest::newRow("two-digit year") << u"06.12.26 19:41:29"_s << QDateTime();
        QTest::newRow("words") << u"yesterday"_s << QDateTime();
        QTest::newRow("Japanese, slash with the year first") << u"2026/12/06 19:41:29"_s << evening;
        QTest::newRow("Danish, dashes with the year last") << u"06-12-2026 19:41:29"_s << evening;
        QTest::newRow("Hungarian, dots and blanks") << u"2026. 12. 06. 19:41:29"_s << evening;
        QTest::newRow("Finnish, dotted time") << u"6.12.2026 19.41.29"_s << evening;
        QTest::newRow("Finnish time alone") << u"19.41.29"_s << QDateTime(zeroDate().date(), QTime(19, 41, 29));
        QTest::newRow("US 12-hour without seconds") << u"12/13/2026 7:41 PM"_s << later.addSecs(-29);
        QTest::newRow("p.m. before the time") << u"2026-12-06 p.m. 7:41:29"_s << evening;
        QTest::newRow("in the spring-forward gap") << u"2026/3/29 2:30"_s << QDateTime(QDate(2026, 3, 29), QTime(3, 0));
        QTest::newRow("PM with hour 13") << u"12/13/2026 13:41 PM"_s << QDateTime();
        QTest::newRow("minute 60") << u"2026/12/06 19:60"_s << QDateTime();
        QTest::newRow("no 31 February, dashed") << u"31-02-2026"_s << QDateTime();
        QTest::newRow("dotted two-digit year alone") << u"6.12.26"_s << QDateTime();
        QTest::newRow("mixed separators") << u"2026/12-06 19:41"_s << QDateTime();
        QTest::newRow("empty") << QString() << QDateTime();
    }

    // Under the C locale, the common forms still read files written elsewhere.
    void commonFormsFromOtherMachines()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        QCOMPARE(DateText::Reader(QLocale::c()).read(text), expected);
        QCOMPARE(DateText::parse(text, QLocale(QLocale::French, QLocale::France)), expected);
    }

    void dayPeriodsAndOrderOfTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        const QLocale japanese(QLocale::Japanese, QLocale::Japan), korean(QLocale::Korean, QLocale::SouthKorea);
        const QDateTime evening(QDate(2026, 12, 6), QTime(19, 41, 29));
        QTest::newRow("Japanese afternoon") << japanese << u"2026/12/06 午後 7:41:29"_s << evening;
        QTest::newRow("Korean marker of another locale") << japanese << u"2026-12-06 오후 7:41:29"_s << QDateTime();
        QTest::newRow("Korean afternoon") << korean << u"2026-12-06 오후 7:41:29"_s << evening;
        QTest::newRow("German without seconds")
                << QLocale(QLocale::German, QLocale::Germany) << u"6.12.2026 19:41"_s << evening.addSecs(-29);
        QTest::newRow("British slash order")
                << QLocale(QLocale::English, QLocale::UnitedKingdom) << u"06/12/2026 7:41 pm"_s << evening.addSecs(-29);
        QTest::newRow("US slash order") << QLocale(QLocale::English, QLocale::UnitedStates) << u"06/12/2026 7:41 pm"_s
                                        << QDateTime(QDate(2026, 6, 12), QTime(19, 41));
    }

    // Slash dates without seconds and day-period words, which only the locale settles.
    void dayPeriodsAndOrderOfTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        QCOMPARE(DateText::Reader(locale).read(text), expected);
    }

    void formatsHaveFourDigitYearsAndSeconds_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("listed");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << u"06.12.2026 09:00:00"_s
                                << u"06.12. 09:00"_s;
        QTest::newRow("US") << QLocale(QLocale::English, QLocale::UnitedStates) << u"12/6/2026 9:00:00 AM"_s
                            << u"12/6 9:00 AM"_s;
        QTest::newRow("British") << QLocale(QLocale::English, QLocale::UnitedKingdom) << u"06/12/2026 09:00:00"_s
                                 << u"06/12 09:00"_s;
        QTest::newRow("Swedish: the year first") << QLocale(u"sv_SE"_s) << u"2026-12-06 09:00:00"_s << u"12-06 09:00"_s;
    }

    void formatsHaveFourDigitYearsAndSeconds()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        QFETCH(QString, listed);
        QCOMPARE(DateText::format(QDateTime(QDate(2026, 12, 6), QTime(9, 0, 0)), locale), expected);
        QCOMPARE(DateText::ShortForm(locale).text(QDateTime(QDate(2026, 12, 6), QTime(9, 0, 0))), listed);
    }
};

QTEST_GUILESS_MAIN(TestDateText)
#include "tst_datetext.moc"

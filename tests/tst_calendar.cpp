// Turkey's school calendar: the bayrams and their eves as Turkey announced
// them, written out here by hand; the day plan's afternoons off; and which
// days of a week hold the flag ceremony and 10 Kasım's remembrance.
#include "core/CeremonyPlan.h"
#include "core/DayPlan.h"
#include "core/Holidays.h"
#include "core/SettingsTable.h"
#include "core/StoredValues.h"
#include "platform/SettingsStore.h"
#include "support/TestFolders.h"

#include <QtTest>

using namespace holidays;
using ceremonyplan::Step;

namespace {
struct Bayram {
    QDate first;
    int days;
    const char* name;
};
// As Turkey announced them (and will, for 2026 and 2027).
const Bayram kBayrams[] = {
    {QDate(2024, 4, 10), 3, "Ramazan Bayramı"}, {QDate(2024, 6, 16), 4, "Kurban Bayramı"},
    {QDate(2025, 3, 30), 3, "Ramazan Bayramı"}, {QDate(2025, 6, 6), 4, "Kurban Bayramı"},
    {QDate(2026, 3, 20), 3, "Ramazan Bayramı"}, {QDate(2026, 5, 27), 4, "Kurban Bayramı"},
    {QDate(2027, 3, 9), 3, "Ramazan Bayramı"},  {QDate(2027, 5, 16), 4, "Kurban Bayramı"},
};
} // namespace

class CalendarTest : public QObject {
    Q_OBJECT
private slots:
    void bayramsAndTheirEvesAsTurkeyAnnouncedThem() {
        for (const Bayram& b : kBayrams) {
            const QString name = QString::fromUtf8(b.name);
            const QDate eve = b.first.addDays(-1);
            QVERIFY2(!isNationalHoliday(eve), qPrintable(eve.toString(Qt::ISODate)));
            QCOMPARE(halfDayName(eve), name + QStringLiteral(" arifesi"));
            QCOMPARE(feastName(eve), name);
            for (int d = 0; d < b.days; ++d) {
                const QDate day = b.first.addDays(d);
                QVERIFY2(isOfficial(day, Official::Bayram), qPrintable(day.toString(Qt::ISODate)));
                QVERIFY(nationalHolidayName(day).endsWith(name +
                                                          QStringLiteral(" %1. gün").arg(d + 1)));
                QVERIFY(halfDayName(day).isEmpty());
            }
            QVERIFY2(!isNationalHoliday(b.first.addDays(b.days)),
                     qPrintable(b.first.addDays(b.days).toString(Qt::ISODate)));
        }
        // Seven bayram days a year, none more.
        QCOMPARE(officialDays(2027, Official::Bayram).size(), size_t(7));
        // 19 Mayıs falls on Kurban Bayramı's fourth day in 2027: both names.
        QCOMPARE(nationalHolidayName(QDate(2027, 5, 19)),
                 QStringLiteral("Atatürk'ü Anma, Gençlik ve Spor Bayramı; Kurban Bayramı 4. gün"));
        // 28 Ekim is an eve every year; the day before a fixed national day is not.
        QCOMPARE(halfDayName(QDate(2026, 10, 28)), QStringLiteral("Cumhuriyet Bayramı arifesi"));
        QVERIFY(halfDayName(QDate(2027, 4, 22)).isEmpty());
        QVERIFY(halfDayName(QDate()).isEmpty() && !isNationalHoliday(QDate()));
    }

    void yearsTakenOverBeforeTheBayramsWereKnownStillHaveThem() {
        TestFolders folders;
        // Written by an earlier version: 2027's national days written out, the
        // year taken over, no word of the bayrams.
        folders.writeSettings("[Tatil]\nGunler=2027-04-23,2027-05-19\nResmiYillar=2027\n");
        SettingsStore store;
        Holidays holidays(store);
        QVERIFY(!holidays.contains(QDate(2027, 1, 1))); // the school had removed it
        QVERIFY(holidays.contains(QDate(2027, 3, 10)));
        QVERIFY(holidays.contains(QDate(2027, 5, 17)));

        // Turkey announces Ramazan Bayramı a day later: the school corrects it.
        holidays.unmark(QDate(2027, 3, 9), QDate(2027, 3, 9));
        holidays.mark(QDate(2027, 3, 12), QDate(2027, 3, 12));
        Holidays reread(store);
        QVERIFY(!reread.contains(QDate(2027, 3, 9)));
        QVERIFY(reread.contains(QDate(2027, 3, 10)) && reread.contains(QDate(2027, 3, 12)));
        QVERIFY(reread.contains(QDate(2027, 5, 16)));
        QVERIFY(!reread.contains(QDate(2027, 1, 1)));
        QVERIFY(reread.contains(QDate(2028, 2, 26))); // next year's still offered
        QCOMPARE(store.get(settings::bayramYillar()), QStringLiteral("2027"));
    }

    void anEvesAfternoonIsOffUnlessTheSchoolGivesItATable() {
        TestFolders folders;
        SettingsStore store;
        Holidays holidays(store);
        DayPlan plan(store, holidays);
        const QDate eve(2027, 3, 8); // a Monday
        QCOMPARE(plan.halfDayOn(eve), QStringLiteral("Ramazan Bayramı arifesi"));
        QCOMPARE(plan.bellsUntil(eve), 13 * 60);
        QCOMPARE(plan.bellsUntil(eve.addDays(-1)), 24 * 60);
        QCOMPARE(plan.tableFor(eve.addDays(1)), -1);

        plan.setDates(eve, eve, DayPlan::WeekdayTable); // the school wants the afternoon
        QCOMPARE(plan.bellsUntil(eve), 24 * 60);
        QVERIFY(plan.halfDayOn(eve).isEmpty());
        plan.clearDates(eve, eve);
        QCOMPARE(plan.bellsUntil(eve), 13 * 60);
        // A bayram inside an exam week on the weekend table stays a holiday.
        plan.setDates(QDate(2027, 5, 10), QDate(2027, 5, 21), DayPlan::WeekendTable);
        QCOMPARE(plan.tableFor(QDate(2027, 5, 17)), -1);
        QCOMPARE(plan.tableFor(QDate(2027, 5, 14)), 1);
        // 28 Ekim 2028 is a Saturday: its weekend courses end at 13:00, unless
        // Saturdays have no bells at all.
        QCOMPARE(plan.bellsUntil(QDate(2028, 10, 28)), 13 * 60);
        plan.setWeekdayChoice(6, DayPlan::NoBells);
        QVERIFY(plan.halfDayOn(QDate(2028, 10, 28)).isEmpty());
    }

    void whichDaysHoldTheCeremonies() {
        TestFolders folders;
        SettingsStore store;
        Holidays holidays(store);
        DayPlan plan(store, holidays);
        StoredValues values;
        loadStoredValues(store, values);
        values.BayrakToreni = QStringLiteral("1");
        values.TorenSaati = {QStringLiteral("08:20"), QStringLiteral("15:05")};
        const int opening = 8 * 60 + 20, closing = 15 * 60 + 5;
        const auto at = [&](const QDate& d, int minute) {
            return ceremonyplan::at(values, plan, d, minute);
        };

        // An ordinary week: Monday morning and Friday afternoon only.
        const QDate monday(2026, 12, 7);
        QCOMPARE(at(monday, opening), std::vector<Step>{Step::WeekOpening});
        QVERIFY(at(monday, closing).empty());
        QCOMPARE(at(monday.addDays(4), closing), std::vector<Step>{Step::WeekClosing});
        QVERIFY(at(monday.addDays(5), opening).empty()); // Saturday's weekend courses
        QVERIFY(at(monday.addDays(4), closing - 1).empty());

        // A Monday holiday moves the opening to Tuesday.
        plan.setDates(monday, monday, DayPlan::NoBells);
        QVERIFY(at(monday, opening).empty());
        QCOMPARE(at(monday.addDays(1), opening), std::vector<Step>{Step::WeekOpening});

        // Ramazan Bayramı 2030 from Monday 4 February: the week opens on Thursday.
        QCOMPARE(ceremonyplan::firstSchoolDayOfWeek(plan, QDate(2030, 2, 6)), QDate(2030, 2, 7));
        QCOMPARE(at(QDate(2030, 2, 7), opening), std::vector<Step>{Step::WeekOpening});
        // Kurban Bayramı 2029 from Tuesday 24 April, after 23 Nisan: no school that week.
        QVERIFY(!ceremonyplan::lastSchoolDayOfWeek(plan, QDate(2029, 4, 25)).isValid());
        QVERIFY(ceremonyplan::on(values, plan, QDate(2029, 4, 23)).empty());
        // A Thursday-Friday bayram (Ramazan Bayramı 2021): the week closes on
        // Wednesday, its eve, with the morning's last bell (12:00) as the
        // afternoon is off.
        QCOMPARE(ceremonyplan::lastSchoolDayOfWeek(plan, QDate(2021, 5, 13)), QDate(2021, 5, 12));
        QCOMPARE(at(QDate(2021, 5, 12), 12 * 60), std::vector<Step>{Step::WeekClosing});
        QVERIFY(at(QDate(2021, 5, 12), closing).empty());
        // A one-day week with both at one time plays the anthem once.
        values.TorenSaati[1] = values.TorenSaati[0];
        plan.setDates(QDate(2026, 12, 15), QDate(2026, 12, 18), DayPlan::NoBells);
        QCOMPARE(ceremonyplan::on(values, plan, QDate(2026, 12, 14)).size(), size_t(1));
        values.TorenSaati[1] = QStringLiteral("15:05");

        // 10 Kasım: on a Tuesday at 09:05 and 09:07, bells held from 09:05 to 09:07.
        const QDate tenthTuesday(2026, 11, 10);
        QCOMPARE(at(tenthTuesday, 9 * 60 + 5), std::vector<Step>{Step::Remembrance});
        QCOMPARE(at(tenthTuesday, 9 * 60 + 7), std::vector<Step>{Step::RemembranceAnthem});
        QVERIFY(at(tenthTuesday, 9 * 60 + 6).empty());
        QVERIFY(ceremonyplan::holdsBells(values, plan, tenthTuesday, 9 * 60 + 6));
        QVERIFY(!ceremonyplan::holdsBells(values, plan, tenthTuesday, 9 * 60 + 8));
        QVERIFY(!ceremonyplan::holdsBells(values, plan, tenthTuesday, 9 * 60 + 4));
        // On a Saturday (2029) nothing; switched off, nothing either.
        QVERIFY(at(QDate(2029, 11, 10), 9 * 60 + 5).empty());
        values.OnKasim = QStringLiteral("0");
        QVERIFY(at(tenthTuesday, 9 * 60 + 5).empty());
        QVERIFY(!ceremonyplan::holdsBells(values, plan, tenthTuesday, 9 * 60 + 6));
    }
};

QTEST_GUILESS_MAIN(CalendarTest)
#include "tst_calendar.moc"

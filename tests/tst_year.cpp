// A school year in a minute: the assembled program on a fake clock from
// September to June. The test keeps its own reckoning: its own timetable,
// Turkey's national days of the year written out, the marked breaks, the
// weekday choices of each term and the dates given the other table. From
// that and from what it does to the PC (sleeps it forces, clock steps, the
// mixer gone, the program ended and started again) it predicts every bell:
// rung at its minute, rung late within 120 s, or missed for a reason it
// caused. The program must do exactly that, hold the PC while a sound plays
// and around the day's bells, and never let it sleep with a bell ahead and
// no wake-up set before it.
#include "support/YearRig.h"

#include <QElapsedTimer>
#include <QtTest>

#include <set>

using namespace year;

class YearTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Turkey's zone, without summer time: the fake clock's minutes are the wall's.
        qputenv("TZ", "Europe/Istanbul");
        tzset();
    }

    void everyBellOfTheYearAsPredicted() {
        QElapsedTimer elapsed;
        elapsed.start();
        Year year;
        year.run();

        for (QDate d = kFirstDay; d <= kLastDay; d = d.addDays(1))
            year.calendarBells += int(bellsOn(d).size());
        // Every bell the calendar holds was reckoned with.
        std::set<std::pair<qint64, int>> reckoned;
        for (const auto& [event, count] : year.predicted)
            reckoned.insert({std::get<0>(event), std::get<1>(event)});
        QCOMPARE(int(reckoned.size()), year.calendarBells);

        std::array<int, 5> want{}, got{};
        int ceremonies = 0, ceremoniesOnTime = 0;
        for (const auto& [event, count] : year.predicted) {
            want[std::get<2>(event)] += count;
            if (std::get<1>(event) >= kAnthem) {
                ceremonies += count;
                ceremoniesOnTime += std::get<2>(event) == OnTime ? count : 0;
            }
        }
        for (const auto& [event, count] : year.observed)
            got[std::get<2>(event)] += count;
        // Each bell as predicted, and nothing else.
        for (auto it = year.predicted.begin(); it != year.predicted.end(); ++it) {
            const auto& [at, kind, outcome] = it->first;
            const int seen = year.observed.count(it->first) ? year.observed[it->first] : 0;
            if (outcome != NotRunning && seen != it->second)
                year.wrong(QStringLiteral("bell %1 kind %2: %3 expected %4 times, seen %5")
                               .arg(wallText(at))
                               .arg(kind)
                               .arg(QLatin1String(kOutcomeNames[outcome]))
                               .arg(it->second)
                               .arg(seen),
                           false);
        }
        for (const auto& [event, count] : year.observed) {
            if (!year.predicted.count(event))
                year.wrong(QStringLiteral("bell %1 kind %2: %3 %4 times, not predicted")
                               .arg(wallText(std::get<0>(event)))
                               .arg(std::get<1>(event))
                               .arg(QLatin1String(kOutcomeNames[std::get<2>(event)]))
                               .arg(count),
                           false);
        }
        qInfo("school year: %d bells in the calendar; predicted %d on time, %d late, %d silent "
              "(mixer gone), %d missed and logged, %d missed while not running; seen %d, %d, "
              "%d, %d; %d wrong",
              year.calendarBells, want[OnTime], want[Late], want[Silent], want[MissedLogged],
              want[NotRunning], got[OnTime], got[Late], got[Silent], got[MissedLogged],
              year.wrongs);
        qInfo("ceremonies (10 Kasım, the week's flag ceremonies): %d predicted, %d of them on time",
              ceremonies, ceremoniesOnTime);
        qInfo("faults: %d idle sleeps, %d forced sleeps, %d clock steps, %d mixer gaps, %d "
              "refused wake-ups, %d restarts; heap %.2f -> %.2f MB; %.1f s",
              year.idleSleeps, year.forcedSleeps, year.steps, year.mixerGaps, year.refusals,
              year.restarts, year.heapFirstMonth, year.heapLastMonth, elapsed.elapsed() / 1000.0);
        QCOMPARE(year.wrongs, 0); // each one is told above
        for (int o : {OnTime, Late, Silent, MissedLogged})
            QCOMPARE(got[o], want[o]);
        // The faults this year is about did happen.
        QVERIFY(want[Late] > 0 && want[Silent] > 0 && want[MissedLogged] > 0 &&
                want[NotRunning] > 0);
        QVERIFY(ceremoniesOnTime > 60); // two a week, and 10 Kasım's
        QVERIFY(ceremonies > ceremoniesOnTime);
    }
};

QTEST_MAIN(YearTest)
#include "tst_year.moc"

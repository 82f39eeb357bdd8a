// The school day without a window: staying awake, the wake-up, the table of
// each day, the next-bell line and the timing of the passes.
#include "core/BellCalendar.h"
#include "support/DayRig.h"

#include <QtTest>

namespace {
const QDate kMonday(2026, 12, 7);
const QDate kFriday(2026, 12, 11);
QDateTime on(const QDate& day, int h, int m, int s = 0) {
    return QDateTime(day, QTime(h, m, s));
}

} // namespace

class SchoolDayTest : public QObject {
    Q_OBJECT
private slots:
    void withoutAWakeUpHeldFromStartWhileBellsLieAhead() {
        DayRig r(on(kMonday, 7, 0, 30)); // logged on at 07:00, long before the first bell
        QVERIFY(r.inhibitor.held);
        r.runUntil(on(kMonday, 16, 0));
        QCOMPARE(r.inhibitor.changes, QStringList{"on 07:00"}); // tomorrow rings too
        QCOMPARE(r.day->wakeText(), QStringLiteral("Bilgisayar uyanık tutuluyor"));

        // A school whose weekdays all say "Zil yok" has nothing ahead: let go.
        for (int d = 1; d <= 7; ++d)
            r.plan.setWeekdayChoice(d, DayPlan::NoBells);
        QVERIFY(!r.inhibitor.held);
        QCOMPARE(r.day->nextBellText(), QStringLiteral("Sonraki zil yok"));
        QVERIFY(r.day->wakeText().isEmpty());
    }

    void withAWakeUpHeldOnlyAroundTheBells() {
        DayRig r(on(kMonday, 7, 0, 30), true);
        QCOMPARE(r.wake.calls, QStringList{"set 2026-12-07 08:10"});
        QVERIFY(!r.inhibitor.held);
        r.runUntil(on(kMonday, 16, 0));
        // 15 minutes before 08:15 until the last bell, then the wake-up moves to tomorrow.
        QCOMPARE(r.inhibitor.changes, (QStringList{"on 08:00", "off 15:01"}));
        QCOMPARE(r.wake.calls.last(), QStringLiteral("set 2026-12-08 08:10"));
        QCOMPARE(r.day->wakeText(), QStringLiteral("Bilgisayar yarın 08:10'da uyanacak"));
        // A countdown or a sound holds it whatever the hour.
        r.day->setCountingDown(true);
        QVERIFY(r.inhibitor.held);
        r.day->setCountingDown(false);
        QVERIFY(!r.inhibitor.held);
        r.day->end();
        QVERIFY(!r.inhibitor.held);
    }

    void aWeekendWithoutBells() {
        // Friday evening; the weekend table is empty, as it comes.
        DayRig kept(on(kFriday, 18, 0));
        DayRig woken(on(kFriday, 18, 0), true);
        kept.runUntil(on(kFriday.addDays(3), 7, 0));
        QVERIFY(kept.inhibitor.held); // no wake-up: held all weekend
        QCOMPARE(kept.inhibitor.changes, QStringList{"on 18:00"});
        woken.runUntil(on(kFriday.addDays(3), 7, 0));
        QVERIFY(!woken.inhibitor.held);
        QCOMPARE(woken.wake.calls.last(), QStringLiteral("set 2026-12-14 08:10"));
        QCOMPARE(woken.day->nextBellText(), QStringLiteral("Sonraki zil 08:15 (Öğrenci girişi)"));
    }

    void aHolidayWithAWakeUpSetIsNotHeld() {
        DayRig r(on(kMonday, 7, 0), true);
        r.plan.setDates(kMonday, kMonday, DayPlan::NoBells);
        r.runUntil(on(kMonday, 12, 0));
        QVERIFY(r.player.opened().isEmpty());
        QVERIFY(r.inhibitor.changes.isEmpty());
        QCOMPARE(r.wake.calls.last(), QStringLiteral("set 2026-12-08 08:10"));
        QCOMPARE(r.day->dayNotes(), QStringLiteral("Bugün tatil"));
    }

    void theWakeUpFollowsTheTimetable() {
        DayRig r(on(kMonday, 16, 0), true);
        QCOMPARE(r.wake.calls, QStringList{"set 2026-12-08 08:10"});
        r.values.timex[0] = QStringLiteral("07:50");
        r.day->settingsChanged();
        QCOMPARE(r.wake.calls, (QStringList{"set 2026-12-08 08:10", "set 2026-12-08 07:45"}));
        r.day->settingsChanged(); // nothing new: nothing asked
        QCOMPARE(r.wake.calls.size(), 2);
        r.day->resumed(); // after a wake the system's timer has gone: set again
        QCOMPARE(r.wake.calls.size(), 3);
        // Typed digit by digit: one wake-up, once the typing pauses.
        for (const char* typed : {"06:50", "06:30", "06:35"}) {
            r.values.timex[0] = QString::fromLatin1(typed);
            r.day->timesEdited();
        }
        QTRY_COMPARE(r.wake.calls.size(), 4);
        QCOMPARE(r.wake.calls.last(), QStringLiteral("set 2026-12-08 06:30"));
    }

    // A first bell at 00:02: held from 23:47 across midnight, and a PC that
    // only wakes at 23:58 (after the wake-up moment of 23:57) is held and
    // woken for the bell itself, not for the day after.
    void aFirstBellJustAfterMidnight() {
        DayRig r(on(kMonday, 23, 40), true);
        r.values.timex[0] = QStringLiteral("00:02");
        r.day->settingsChanged();
        QCOMPARE(r.wake.calls.last(), QStringLiteral("set 2026-12-07 23:57"));
        QVERIFY(!r.inhibitor.held);
        r.runUntil(on(kMonday.addDays(1), 0, 10));
        QCOMPARE(r.inhibitor.changes, QStringList{"on 23:47"});
        QCOMPARE(r.player.opened(), QStringList{r.folders.app() + "/Melodiler/Melodi 5.wav"});

        DayRig woken(on(kMonday, 23, 58, 4), true);
        woken.values.timex[0] = QStringLiteral("00:02");
        woken.day->settingsChanged();
        QVERIFY(woken.inhibitor.held);
        QCOMPARE(woken.wake.calls.last(), QStringLiteral("set 2026-12-08 00:02"));
        QCOMPARE(woken.day->wakeText(), QStringLiteral("Bilgisayar yarın 00:02'de uyanacak"));
        woken.runUntil(on(kMonday.addDays(1), 0, 3));
        QCOMPARE(woken.player.opened().size(), 1);
        QCOMPARE(woken.wake.calls.last(), QStringLiteral("set 2026-12-08 23:57"));
    }

    void aRefusedWakeUpKeepsThePcAwake() {
        DayRig r(on(kMonday, 16, 0), false);
        r.wake.refuse = true;
        r.day->setWakeAlarm(&r.wake);
        r.day->settingsChanged();
        QCOMPARE(r.wake.calls.size(), 1);
        QVERIFY(r.inhibitor.held);
        QCOMPARE(r.day->wakeText(), QStringLiteral("Bilgisayar uyanık tutuluyor"));
    }

    void eachDayRingsTheTableChosenForIt() {
        DayRig r(on(kFriday, 7, 0));
        r.values.timex[36] = QStringLiteral("09:30");      // the weekend table's only bell
        r.plan.setWeekdayChoice(5, DayPlan::WeekendTable); // Fridays: a longer lunch break
        QCOMPARE(r.day->table(), 1);
        QCOMPARE(r.day->day().noticeMode, QStringLiteral("HaftaSonuSaatleri"));
        r.runUntil(on(kFriday, 10, 0));
        QCOMPARE(r.player.opened(), QStringList{r.folders.app() + "/Melodiler/Melodi 5.wav"});
        QCOMPARE(r.day->nextBellText(), QStringLiteral("Sonraki zil yarın 09:30 (Öğrenci girişi)"));

        // No bells at the weekend; Monday is an exam day on the weekend table.
        r.plan.setWeekdayChoice(6, DayPlan::NoBells);
        r.plan.setWeekdayChoice(7, DayPlan::NoBells);
        r.plan.setDates(kFriday.addDays(3), kFriday.addDays(3), DayPlan::WeekendTable);
        r.player.calls.clear();
        r.runUntil(on(kFriday.addDays(1), 23, 0));
        QVERIFY(r.player.calls.isEmpty());
        QCOMPARE(r.day->dayNotes(), QStringLiteral("Bugün zil yok"));
        QCOMPARE(r.day->nextBellText(),
                 QStringLiteral("Sonraki zil Pazartesi 09:30 (Öğrenci girişi)"));
        r.runUntil(on(kFriday.addDays(3), 9, 31));
        QCOMPARE(r.player.opened().size(), 1);
        QVERIFY(r.day->day().weekend);
    }

    // A cell rings at the time it reads exactly as Qt's "HH:mm" would take it.
    void cellTimesReadAsQtReadsThem() {
        for (const char* text :
             {"08:15", "00:00", "23:59", "24:00", "08:60", "8:15", "08:5_", "__:__", "_8:15", "",
              " 8:15", "08.15", "0815 ", "+8:15", "08:15x"}) {
            const QTime qt = QTime::fromString(QString::fromLatin1(text), QStringLiteral("HH:mm"));
            const auto expected =
                qt.isValid() ? std::optional<int>(qt.hour() * 60 + qt.minute()) : std::nullopt;
            QCOMPARE(bellcalendar::minuteOfDay(QString::fromLatin1(text)), expected);
        }
    }

    void theNextBellLine() {
        DayRig r(on(kMonday, 9, 19, 59));
        QCOMPARE(r.day->nextBellText(), QStringLiteral("Sonraki zil 09:20 (Öğrenci girişi)"));
        r.clock.set(on(kMonday, 15, 0, 1)); // the last bell has rung
        QCOMPARE(r.day->nextBellText(), QStringLiteral("Sonraki zil yarın 08:15 (Öğrenci girişi)"));
        r.plan.setDates(kMonday.addDays(1), kMonday.addDays(3), DayPlan::NoBells);
        QCOMPARE(r.day->nextBellText(), QStringLiteral("Sonraki zil Cuma 08:15 (Öğrenci girişi)"));

        // The wake-up line names the day as the next-bell line does: a winter
        // break puts it beyond the coming week, where a weekday alone misleads.
        DayRig woken(on(kFriday, 16, 0), true);
        QCOMPARE(woken.day->wakeText(), QStringLiteral("Bilgisayar Pazartesi 08:10'da uyanacak"));
        woken.plan.setDates(kFriday.addDays(3), kFriday.addDays(9), DayPlan::NoBells);
        QCOMPARE(woken.day->wakeText(), QStringLiteral("Bilgisayar 21.12.2026 08:10'da uyanacak"));
        QCOMPARE(woken.day->nextBellText(),
                 QStringLiteral("Sonraki zil 21.12.2026 08:15 (Öğrenci girişi)"));

        QCOMPARE(bellcalendar::atTime(QTime(8, 15)), QStringLiteral("08:15'te"));
        QCOMPARE(bellcalendar::atTime(QTime(8, 40)), QStringLiteral("08:40'ta"));
        QCOMPARE(bellcalendar::atTime(QTime(9, 0)), QStringLiteral("09:00'da"));
        QCOMPARE(bellcalendar::atTime(QTime(12, 0)), QStringLiteral("12:00'de"));
    }

    void aSlowPassDoesNotMoveTheNextDeadline() {
        DayRig r(on(kMonday, 9, 9, 0));
        QObject::connect(&r.playback, &Playback::infoChanged, [&](const QString& info) {
            if (!info.isEmpty())
                r.clock.advanceMs(250); // the bell's start took a quarter second
        });
        r.clock.set(on(kMonday, 9, 10, 0));
        emit r.day->activeTimer().timeout();
        QCOMPARE(r.player.opened().size(), 1);
        QCOMPARE(r.day->nextPassAt(), on(kMonday, 9, 11, 0));
        QVERIFY(r.day->activeTimer().remainingTime() <= 59750);
    }
};

QTEST_GUILESS_MAIN(SchoolDayTest)
#include "tst_schoolday.moc"

#include "core/BellScheduler.h"
#include "core/DayPlan.h"
#include "core/Holidays.h"
#include "core/StoredValues.h"
#include "gui/HemenCalPage.h"
#include "platform/EventLog.h"
#include "platform/MinuteTimer.h"
#include "platform/SettingsStore.h"
#include "sound/MasterLevel.h"
#include "sound/Playback.h"
#include "support/PlaybackRig.h"
#include "support/StartedForm.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTimeZone>
#include <QtTest>

#include <ctime>
#include <unistd.h>

namespace {
QDateTime at(const char* hhmmss, QDate day = QDate(2026, 12, 7)) {
    return QDateTime(
        day, QTime::fromString(QString::fromLatin1(hhmmss), QStringLiteral("HH:mm:ss.zzz")));
}
} // namespace

// Scheduler passes with the default timetable, a fake clock and a recording player.
struct SchedulerRig : PlaybackRig {
    BellScheduler scheduler{values, playback, clock};

    SchedulerRig() {
        SettingsStore store;
        loadStoredValues(store, values);
        scheduler.setAppPath(folders.app());
    }
    // The weekend table rings on the Saturday of the same week.
    int passAt(const char* time, int table = 0) {
        clock.set(at(time, table == 1 ? QDate(2026, 12, 12) : QDate(2026, 12, 7)));
        return int(clock.now().msecsTo(scheduler.pass()));
    }
    QString melody(const char* name) const { return folders.app() + "/Melodiler/" + name; }
};

class SchedulerTest : public QObject {
    Q_OBJECT
private slots:
    void firstBellCarriesNoAnnouncement() {
        SchedulerRig r;
        QCOMPARE(r.passAt("08:15:00.000"), 60000);
        QCOMPARE(r.player.opened(), QStringList{r.melody("Melodi 5.wav")});
        QCOMPARE(r.playback.info(), QStringLiteral("Öğrenci giriş zili"));
        QVERIFY(r.playback.queued().isEmpty());
        QCOMPARE(r.player.level, -200L);
    }

    void studentBellWithAnnouncementAndTeacherBellWithout() {
        SchedulerRig r;
        r.passAt("09:20:00.003");
        QCOMPARE(r.player.opened(), QStringList{r.melody("Melodi 5.wav")});
        QCOMPARE(r.playback.queued(), QStringLiteral("/Anonslar/0.mp3"));
        r.passAt("08:30:00.000");
        QCOMPARE(r.player.opened().last(), r.melody("Melodi 6.wav"));
        QCOMPARE(r.playback.info(), QStringLiteral("Öğretmen giriş zili"));
        QVERIFY(r.playback.queued().isEmpty());
    }

    void storedFirstBellSwitchHoldsAndCoversTheWeekend() {
        SchedulerRig r;
        r.values.ZilIptal = QStringLiteral("0");
        r.passAt("08:15:00.000");
        QCOMPARE(r.playback.queued(), QStringLiteral("/Anonslar/0.mp3"));

        r.values.ZilIptal = QStringLiteral("1");
        r.values.timex[36] = QStringLiteral("10:00");
        r.values.timex[39] = QStringLiteral("11:00");
        r.passAt("10:00:00.000", 1);
        QVERIFY(r.playback.queued().isEmpty());
        r.passAt("11:00:00.000", 1);
        QCOMPARE(r.playback.queued(), QStringLiteral("/Anonslar/0.mp3"));
    }

    void exitBellThenBreakMusic() {
        SchedulerRig r;
        QDir().mkpath(r.folders.app() + "/Müzik");
        QFile song(r.folders.app() + "/Müzik/a.mid");
        QVERIFY(song.open(QIODevice::WriteOnly));
        song.close();
        r.passAt("09:10:00.000");
        QCOMPARE(r.player.opened(), QStringList{r.melody("Melodi 1.wav")});
        QVERIFY(r.playback.musicOn());
        r.player.finish();
        QCOMPARE(r.player.current, r.folders.app() + "/Müzik/a.mid");
        QCOMPARE(r.playback.info(), QStringLiteral("Müzik: a.mid"));

        // Break 3 (after lesson 4) is not marked: no music after 12:00.
        r.passAt("12:00:00.000");
        QVERIFY(!r.playback.musicOn());
        // Music switched off altogether.
        r.values.Aktif = 0;
        r.passAt("10:05:00.000");
        QVERIFY(!r.playback.musicOn());
    }

    void cellsOfOneMinuteRingInIndexOrder() {
        SchedulerRig r;
        r.values.timex[5] = QStringLiteral("10:20"); // exit bell of lesson 2 on the next entry bell
        r.passAt("10:20:00.000");
        QCOMPARE(r.player.opened(),
                 (QStringList{r.melody("Melodi 1.wav"), r.melody("Melodi 5.wav")}));
        QVERIFY(!r.playback.musicOn()); // the student bell is the one heard
    }

    void startInTheMiddleOfAMinute() {
        SchedulerRig r;
        QCOMPARE(r.passAt("10:05:40.250"), 19750);
        QCOMPARE(r.player.opened(), QStringList{r.melody("Melodi 1.wav")});
        QCOMPARE(r.passAt("10:06:00.001"), 59999);
        QCOMPARE(r.player.opened().size(), 1);
    }

    void weekendTableIgnoresWeekdayCells() {
        SchedulerRig r;
        r.passAt("09:10:00.000", 1);
        QVERIFY(r.player.calls.isEmpty());
    }

    void unfinishedCellsNeverRing() {
        SchedulerRig r;
        r.values.timex[0] = QStringLiteral("08:1_");
        r.values.timex[1] = QStringLiteral("8:30 ");
        r.values.timex[3] = QStringLiteral("     ");
        for (const char* t : {"08:10:00.000", "08:15:00.000", "08:30:00.000", "09:20:00.000"})
            r.passAt(t);
        QVERIFY(r.player.calls.isEmpty());
    }

    void aMinuteRingsOnceWhateverTheClockDoes() {
        SchedulerRig r;
        r.passAt("09:09:59.990"); // a timer a little early
        QVERIFY(r.player.calls.isEmpty());
        QCOMPARE(r.clock.now().msecsTo(r.scheduler.pass()), 10);
        r.passAt("09:10:00.000");
        QCOMPARE(r.player.opened().size(), 1);
        r.passAt("09:10:00.400"); // fired twice
        r.passAt("09:09:35.000"); // stepped back 30 s just after the bell
        r.passAt("09:10:00.000");
        QCOMPARE(r.player.opened().size(), 1);
    }

    void lateBellsRingWithinTwoMinutesOlderOnesAreLogged() {
        QStringList log;
        eventlog::setSink([&](eventlog::Level, const QString& line) { log << line; });
        SchedulerRig r;
        r.passAt("09:07:00.000");
        r.passAt("09:12:00.000"); // a busy machine or a clock set forward: 09:10 is 2 min late
        QCOMPARE(r.player.opened(), QStringList{r.melody("Melodi 1.wav")});
        // Counted in seconds: 09:10 is still due at 09:11:59, no longer at 09:12:13.
        SchedulerRig lateBySeconds, tooLate;
        lateBySeconds.passAt("09:07:00.000");
        lateBySeconds.passAt("09:11:59.000");
        QCOMPARE(lateBySeconds.player.opened().size(), 1);
        tooLate.passAt("09:07:00.000");
        tooLate.passAt("09:12:13.000");
        QVERIFY(tooLate.player.opened().isEmpty());

        // A resume: the wall clock jumped 40 minutes while the timer slept.
        SchedulerRig woken;
        woken.passAt("08:40:00.000");
        woken.passAt("09:20:37.000");
        QCOMPARE(woken.player.opened(), QStringList{woken.melody("Melodi 5.wav")}); // 09:20
        eventlog::setSink({});
        const QStringList missed = log.filter(QStringLiteral("çalmadı"));
        QCOMPARE(missed.size(), 2);
        QVERIFY2(missed.first().startsWith(QStringLiteral("Çıkış zili 09:10")),
                 qPrintable(missed.first()));
        QVERIFY2(missed.last().startsWith(QStringLiteral("Çıkış zili 09:10")),
                 qPrintable(missed.last()));
    }

    void markedDaysRingNothingButRingNowPlays() {
        QStringList log;
        eventlog::setSink([&](eventlog::Level, const QString& line) { log << line; });
        SchedulerRig r;
        SettingsStore store;
        Holidays holidays(store);
        DayPlan plan(store, holidays);
        r.scheduler.setPlan(&plan);
        const QDate friday(2026, 12, 11), monday(2026, 12, 14);
        holidays.mark(friday, monday); // a long weekend
        r.clock.set(at("09:10:00.000", friday));
        r.scheduler.pass();
        r.clock.set(at("09:20:00.000", friday));
        r.scheduler.pass();
        QVERIFY(r.player.opened().isEmpty());
        QVERIFY(!r.playback.musicOn());
        r.scheduler.ring(2); // "Hemen Çal" still rings
        QCOMPARE(r.player.opened(), QStringList{r.melody("Melodi 1.wav")});
        r.playback.stop();

        r.clock.set(at("09:09:30.000", monday));
        r.scheduler.pass();
        holidays.unmark(monday, monday); // takes effect with the next minute
        r.clock.set(at("09:10:00.000", monday));
        r.scheduler.pass();
        QCOMPARE(r.player.opened().size(), 2);
        eventlog::setSink({});
        QCOMPARE(log.filter(QStringLiteral("Bugün tatil")).size(), 2); // once a day
        QVERIFY(log.filter(QStringLiteral("çalmadı")).isEmpty());
    }

    // The melody heard next minute, at its level: of cells sharing the
    // minute, the last one.
    void theNextMelodyIsMadeReadyInTheMinuteBeforeIt() {
        SchedulerRig r;
        SettingsStore store;
        Holidays holidays(store);
        DayPlan plan(store, holidays);
        r.scheduler.setPlan(&plan);
        r.values.Zil[0] = QStringLiteral("Melodi 4.wav");
        r.values.timex[0] = QStringLiteral("09:10"); // a student bell before the exit bell
        r.passAt("09:08:00.000");
        QVERIFY(r.player.prepared.isEmpty());
        r.passAt("09:09:00.000");
        QCOMPARE(r.player.prepared.size(), 1);
        QVERIFY(r.player.opened().isEmpty());
        r.passAt("09:10:00.000");
        QCOMPARE(r.player.prepared.first(),
                 r.player.opened().last() + "@" + QString::number(r.player.level));
        QVERIFY(r.player.prepared.first().contains(QLatin1String("Melodi 1.wav")));
        const QDate friday(2026, 12, 11);
        holidays.mark(friday, friday);
        r.clock.set(at("09:09:00.000", friday));
        r.scheduler.pass();
        QCOMPARE(r.player.prepared.size(), 1);
    }

    void aClockHoursFastCorrectedRingsEveryTrueBellOnce() {
        SchedulerRig r; // logged on at 08:10 with the clock three hours fast
        QStringList rung;
        QObject::connect(&r.playback, &Playback::infoChanged, [&](const QString& info) {
            if (!info.isEmpty())
                rung << r.clock.now().toString("HH:mm");
        });
        QDateTime t = at("11:10:00.000");
        for (int i = 0; i < 9; ++i, t = t.addSecs(60)) {
            r.clock.set(t);
            r.scheduler.pass();
            r.player.finish();
        }
        QCOMPARE(rung, QStringList{"11:15"}); // early, by the wrong clock
        rung.clear();
        for (t = at("08:19:00.000"); t <= at("11:30:00.000"); t = t.addSecs(60)) {
            r.clock.set(t);
            r.scheduler.pass();
            r.player.finish();
        }
        QCOMPARE(rung, (QStringList{"08:30", "09:10", "09:20", "09:25", "10:05", "10:20", "10:25",
                                    "11:05", "11:15", "11:20"}));
    }

    void acrossMidnight() {
        SchedulerRig r;
        r.values.timex[0] = QStringLiteral("00:00");
        r.clock.set(at("23:59:00.000"));
        r.scheduler.pass();
        r.clock.set(at("00:00:00.000", QDate(2026, 12, 8)));
        r.scheduler.pass();
        QCOMPARE(r.player.opened().size(), 1);
        r.clock.set(at("00:00:00.000", QDate(2026, 12, 9)));
        r.scheduler.pass();
        QCOMPARE(r.player.opened().size(), 2);
    }

    void onlyTheDaysOwnTableCanBeMissed() {
        QStringList log;
        eventlog::setSink([&](eventlog::Level, const QString& line) { log << line; });
        SchedulerRig r;
        r.values.timex[2] = QStringLiteral("23:59");          // an exit bell late in the evening
        r.clock.set(at("16:00:00.000", QDate(2026, 12, 11))); // Friday afternoon
        r.scheduler.pass();
        // The PC slept the weekend through: Sunday's minutes are on the weekend
        // table, which is empty, so nothing was missed.
        r.clock.set(at("07:00:00.000", QDate(2026, 12, 14)));
        r.scheduler.pass();
        QVERIFY(log.filter(QStringLiteral("çalmadı")).isEmpty());

        // Woken a minute after midnight: yesterday's 23:59 is not rung today.
        log.clear();
        r.clock.set(at("23:58:00.000", QDate(2026, 12, 14)));
        r.scheduler.pass();
        log.clear();
        r.clock.set(at("00:00:30.000", QDate(2026, 12, 15)));
        r.scheduler.pass();
        QVERIFY(r.player.opened().isEmpty());
        QCOMPARE(log.filter(QStringLiteral("çalmadı")),
                 QStringList{"Çıkış zili 23:59 çalmadı: zamanı geçmişti (uyku ya da saat ayarı)"});

        // A time zone set three hours forward at 08:00 is a step of the clock:
        // the bells in between are logged, the one within two minutes rings.
        log.clear();
        const QDate wednesday(2026, 12, 16);
        r.clock.set(QDateTime(wednesday, QTime(8, 0), QTimeZone(3 * 3600)));
        r.scheduler.pass();
        log.clear();
        r.clock.set(QDateTime(wednesday, QTime(11, 6), QTimeZone(6 * 3600))); // 6 min later
        r.scheduler.pass();
        eventlog::setSink({});
        QCOMPARE(r.player.opened(), QStringList{r.melody("Melodi 1.wav")}); // 11:05, late
        QCOMPARE(log.filter(QStringLiteral("çalmadı")).size(), 7);          // 08:15 to 10:25
        QCOMPARE(log.filter(QStringLiteral("Saat ileri atladı: 08:00 -> 11:06")).size(), 1);
    }

    void aClockSetBringsThePassAtOnce() {
        if (::geteuid() != 0)
            QSKIP("setting the clock needs root");
        MinuteTimer timer;
        QSignalSpy changed(&timer, &MinuteTimer::clockChanged);
        QSignalSpy due(&timer, &MinuteTimer::timeout);
        timer.start(50000);
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        QVERIFY(::clock_settime(CLOCK_REALTIME, &now) == 0); // set to itself: nothing moves
        QTRY_COMPARE(due.size(), 1);
        QCOMPARE(changed.size(), 1);
        QVERIFY(!timer.isActive());
    }

    void startedProgramRingsTheCurrentMinute() {
        Started weekday(QString(), QDateTime(QDate(2026, 12, 7), QTime(9, 20, 30)));
        QVERIFY(weekday.form->weekdayTimer().isActive());
        QVERIFY(!weekday.form->weekendTimer().isActive());
        QTRY_COMPARE(weekday.fakes.player.opened().size(), 1);
        QVERIFY(weekday.form->weekdayTimer().remainingTime() > 25000);

        Started saturday(QString(), QDateTime(QDate(2026, 12, 12), QTime(9, 20, 30)));
        QVERIFY(saturday.form->weekendTimer().isActive());
        QVERIFY(!saturday.form->weekdayTimer().isActive());
        QTest::qWait(50);
        QVERIFY(saturday.fakes.player.calls.isEmpty());
    }
};

QTEST_MAIN(SchedulerTest)
#include "tst_scheduler.moc"

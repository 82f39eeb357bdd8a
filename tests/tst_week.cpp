// The assembled main window with the real player (into a fakesink, unsynced)
// and the real settings file, driven by a fake clock: the memory of a week of
// school days, the weekend table, and midnight. Every bell of a whole year,
// with clock steps and holidays, is tst_year's.
#include "core/SettingsTable.h"
#include "core/Timetable.h"
#include "sound/GstPlayer.h"
#include "support/CountingPlayer.h"
#include "support/StartedForm.h"

#include <QElapsedTimer>
#include <QtTest>

#include <malloc.h>

namespace {
// Heap in use: unlike resident pages it does not move with what malloc keeps
// of freed memory, so a growth here is memory the program still holds.
double heapInUseMb() {
    return mallinfo2().uordblks / (1024.0 * 1024.0);
}
} // namespace

// One program start on `day` at `start`, playing the built-in sounds.
struct Day {
    TestFolders& folders;
    RecordingPlatform fakes;
    GstPlayer gst{QStringLiteral("fakesink sync=false")};
    CountingPlayer player{gst, [this] { return fakes.clock.now().toString("yyyy-MM-dd HH:mm"); }};
    SettingsStore store;
    std::unique_ptr<MainWindow> form;
    bool loaded = false;

    Day(TestFolders& f, const QDateTime& start) : folders(f) {
        fakes.clock.set(start);
        Platform platform = fakes.platform();
        platform.player = &player;
        form = std::make_unique<MainWindow>(platform, store);
        StartupContext c = contextFor(folders, 77);
        c.appPath = QStringLiteral(VELMAR_SOUNDS);
        loaded = form->startUp(c);
    }
    // The scheduler's timer fires at `time`.
    void passAt(const QDateTime& time) {
        fakes.clock.set(time);
        emit form->activeSchedulerTimer().timeout();
        settle();
    }
    // Lets the player run: until idle, or a moment while music goes on.
    void settle() {
        QElapsedTimer t;
        t.start();
        while (form->playback().playing() && t.elapsed() < 5)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    QStringList melodiesAt() const {
        QStringList rings;
        for (const auto& o : player.opened) {
            if (o.path.contains(QLatin1String("/Melodiler/")))
                rings << o.at;
        }
        return rings;
    }
};

class WeekTest : public QObject {
    Q_OBJECT
private slots:
    void heapStaysFlatOverAWeekOfRunning() {
        TestFolders folders;
        const QDate monday(2026, 12, 7);
        Day day(folders, QDateTime(monday, QTime(7, 30, 12)));
        day.settle();
        double afterWarmUp = 0; // the first days load decoders and caches once
        qsizetype bells = 0;
        for (int d = 0; d < 7; ++d) {
            const QDate date = monday.addDays(d);
            for (QDateTime t(date, QTime(7, 31)); t.time() < QTime(16, 0); t = t.addSecs(60))
                day.passAt(t);
            bells += day.melodiesAt().size();
            day.player.opened.clear(); // the test's own record is not the program's memory
            if (d == 1)
                afterWarmUp = heapInUseMb();
        }
        const double afterWeek = heapInUseMb();
        // Five school days; on Saturday and Sunday the (empty) weekend table is in force.
        QCOMPARE(bells, 5 * 18);
        qInfo("heap in use after two days %.2f MB, after the week %.2f MB", afterWarmUp, afterWeek);
        // Five days of bells: 0.2 MB; a GStreamer element leaked with every sound made 0.7 MB.
        QVERIFY2(afterWeek - afterWarmUp < 0.45, "heap in use grows from day to day");
    }

    void theTableFollowsTheDay() {
        TestFolders folders;
        folders.writeSettings("[Saatler]\ntimex%2836%29=10:00\n"); // a weekend course at 10:00
        const QDate friday(2026, 12, 11);
        Day day(folders, QDateTime(friday, QTime(13, 0, 20)));
        QVERIFY(!day.form->weekendTable());
        for (QDateTime t(friday, QTime(13, 1)); t <= QDateTime(friday.addDays(3), QTime(10, 1));
             t = t.addSecs(60)) {
            day.passAt(t);
            if (t.time() == QTime(12, 0))
                QCOMPARE(day.form->weekendTable(), t.date().dayOfWeek() >= 6);
        }
        QCOMPARE(day.melodiesAt(),
                 (QStringList{"2026-12-11 13:20", "2026-12-11 13:25", "2026-12-11 14:05",
                              "2026-12-11 14:15", "2026-12-11 14:20", "2026-12-11 15:00",
                              "2026-12-12 10:00", "2026-12-13 10:00", "2026-12-14 08:15",
                              "2026-12-14 08:30", "2026-12-14 09:10", "2026-12-14 09:20",
                              "2026-12-14 09:25"}));
        QCOMPARE(day.form->dayName().trimmed(), QStringLiteral("Pazartesi"));
    }

    void acrossMidnight() {
        TestFolders folders;
        folders.writeSettings("[Saatler]\ntimex%280%29=00:00\n");
        const QDate sunday(2026, 12, 6); // started on Sunday: the weekend table stays
        Day day(folders, QDateTime(sunday, QTime(23, 58, 10)));
        day.store.save(settings::timex(36), QStringLiteral("00:00"));
        day.form->values().timex[36] = QStringLiteral("00:00");
        day.passAt(QDateTime(sunday, QTime(23, 59)));
        day.passAt(QDateTime(sunday.addDays(1), QTime(0, 0)));
        day.passAt(QDateTime(sunday.addDays(1), QTime(0, 0, 30)));
        day.passAt(QDateTime(sunday.addDays(1), QTime(0, 1)));
        QCOMPARE(day.melodiesAt(), QStringList{"2026-12-07 00:00"});
    }
};

QTEST_MAIN(WeekTest)
#include "tst_week.moc"

// A school year in a minute: the assembled program on a fake clock from
// September to June, with its default timetable and break music, Turkey's
// national days and a two-week winter break, a PC that sleeps at night and
// is woken for the first bell, and faults drawn from a fixed seed several
// times a week: suspends, clock steps, a time zone change, the mixer gone,
// the program ended and started again. Every bell of the year must be rung
// once at its minute, rung late within two minutes, or logged as missed.
#include "core/BellCalendar.h"
#include "core/HolidayDates.h"
#include "core/SettingsTable.h"
#include "core/Timetable.h"
#include "platform/EventLog.h"
#include "support/DayRig.h"
#include "support/StartedForm.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimeZone>
#include <QtTest>

#include <malloc.h>
#include <map>
#include <set>

namespace {
const QDate kFirstDay(2026, 9, 14);
const QDate kLastDay(2027, 6, 18);
const QDate kBreakFrom(2027, 1, 25), kBreakTo(2027, 2, 5);
constexpr int kIdleSuspendMinutes = 20; // GNOME on mains power

double heapInUseMb() {
    return mallinfo2().uordblks / (1024.0 * 1024.0);
}

struct Ring {
    QDate date;
    int minute; // of the day, on the program's clock
    int kind;
    int epoch; // clock set back since: the minutes may ring again
};
} // namespace

class Year {
public:
    Year() {
        fakes.clock.set(trueTime_);
        eventlog::setSink([this](eventlog::Level, const QString& line) { logged(line); });
        QDir().mkpath(folders.app() + "/Müzik");
        QFile song(folders.app() + "/Müzik/marş.mid");
        song.open(QIODevice::WriteOnly);
        store = std::make_unique<SettingsStore>();
    }
    ~Year() { eventlog::setSink({}); }

    TestFolders folders;
    RecordingPlatform fakes;
    FakeWakeAlarm wake;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<Form1> form;
    QRandomGenerator random{20260914};

    std::vector<Ring> rings;
    std::set<std::tuple<QDate, int, int>> missed; // date, minute, kind
    int epoch = 0;
    int wrongs = 0;
    QStringList wrongWhy;
    int restarts = 0, suspends = 0, steps = 0, mixerGaps = 0;
    double heapFirstMonth = 0, heapLastMonth = 0;

    void start() {
        Platform platform = fakes.platform();
        platform.wakeAlarm = &wake;
        form = std::make_unique<Form1>(platform, *store);
        QVERIFY(form->Form_Load(contextFor(folders, 99, QStringLiteral("-systray"))));
        settle();
    }
    void stop() {
        form->quitProgram();
        if (fakes.mixer.open && fakes.mixer.wave == fakes.mixer.waveMin)
            wrong(QStringLiteral("master level not restored at the end"));
        form.reset();
    }

    // The program's clock: the true time, off by a step, in its zone.
    void showClock() {
        const QDateTime shown = trueTime_.addSecs(stepSecs_);
        const QDateTime before = fakes.clock.now();
        const QDateTime now = zoneSecs_ ? shown.toTimeZone(QTimeZone(int(zoneSecs_))) : shown;
        if (localMinutes(now) < localMinutes(before) - 2) // set back: the minutes ring again
            ++epoch;
        fakes.clock.set(now);
    }
    static qint64 localMinutes(const QDateTime& t) {
        return t.date().toJulianDay() * 1440 + t.time().hour() * 60 + t.time().minute();
    }

    // The timer fires: at the minute, or at once after a resume or a clock set.
    void pass() {
        showClock();
        emit form->activeSchedulerTimer().timeout();
        settle();
    }

    // Bells and announcements play to their end within the minute; a song
    // plays three minutes, or until a bell replaces it.
    void settle() {
        for (int i = 0; i < 6; ++i) {
            const QString current = fakes.player.current;
            if (current != lastCurrent_) {
                lastCurrent_ = current;
                since_ = trueTime_;
                record(current);
            }
            if (current.isEmpty())
                break;
            if (current.contains(QLatin1String("/Müzik/")) && since_.secsTo(trueTime_) < 180)
                break;
            fakes.player.finish();
        }
        // What the fakes remember is not the program's memory.
        if (fakes.player.calls.size() > 64) {
            fakes.player.calls.clear();
            fakes.player.prepared.clear();
            fakes.tray.calls.clear();
            fakes.inhibitor.changes.clear();
            fakes.mixer.sets.clear();
            fakes.mixer.sets.shrink_to_fit();
        }
    }

    void record(const QString& file) {
        if (!file.contains(QLatin1String("/Melodiler/")))
            return;
        const QDateTime at = fakes.clock.now();
        for (int kind = 0; kind < 3; ++kind) {
            if (file.endsWith(QLatin1Char('/') + form->values().Zil[kind])) {
                rings.push_back(
                    {at.date(), at.time().hour() * 60 + at.time().minute(), kind, epoch});
                return;
            }
        }
    }

    void logged(const QString& line) {
        static const QRegularExpression missedLine(
            QStringLiteral("^(Öğrenci giriş|Öğretmen giriş|Çıkış) zili (\\d\\d):(\\d\\d) çalmadı"));
        const auto m = missedLine.match(line);
        if (!m.hasMatch())
            return;
        const int kind = m.captured(1).startsWith(QStringLiteral("Öğrenci"))    ? 0
                         : m.captured(1).startsWith(QStringLiteral("Öğretmen")) ? 1
                                                                                : 2;
        const int minute = m.captured(2).toInt() * 60 + m.captured(3).toInt();
        const QDateTime now = fakes.clock.now();
        const int nowMinute = now.time().hour() * 60 + now.time().minute();
        missed.insert({minute > nowMinute ? now.date().addDays(-1) : now.date(), minute, kind});
    }

    void wrong(const QString& why) {
        ++wrongs;
        if (wrongWhy.size() < 10)
            wrongWhy << fakes.clock.now().toString(QStringLiteral("yyyy-MM-dd HH:mm ")) + why;
    }

    // The year, minute by minute while the PC is awake.
    void run() {
        start();
        int idle = 0;
        QDate lastFaultDay;
        while (trueTime_.date() <= kLastDay) {
            trueTime_ = trueTime_.addSecs(60);
            pass();
            checkAwake();
            if (trueTime_.date() >= kFirstDay.addDays(30) && heapFirstMonth == 0)
                heapFirstMonth = heapInUseMb();
            if (trueTime_.date() >= kLastDay.addDays(-30) && heapLastMonth == 0)
                heapLastMonth = heapInUseMb();

            const QTime time = trueTime_.time();
            if (time.minute() == 0 && time.hour() >= 8 && time.hour() <= 14 &&
                trueTime_.date() != lastFaultDay && random.bounded(100) < 12) {
                lastFaultDay = trueTime_.date();
                fault();
                idle = 0;
                continue;
            }
            idle = fakes.inhibitor.held || form->playback().playing() ? 0 : idle + 1;
            if (idle >= kIdleSuspendMinutes && stepSecs_ == 0 && zoneSecs_ == 0) {
                sleepUntilWoken(QDateTime());
                idle = 0;
            }
        }
        stop();
    }

    void checkAwake() {
        if (!fakes.inhibitor.held && !wake.armedFor().isValid())
            wrong(QStringLiteral("neither held awake nor a wake-up set"));
    }

    // The PC sleeps until its wake-up (or `until`, if sooner and valid).
    void sleepUntilWoken(const QDateTime& until) {
        ++suspends;
        QDateTime wakeAt = wake.armedFor();
        if (!wakeAt.isValid() && !until.isValid()) {
            trueTime_ = QDateTime(kLastDay.addDays(1), QTime(0, 0));
            return;
        }
        if (wakeAt.isValid() && wakeAt <= fakes.clock.now() && !until.isValid())
            wrong(QStringLiteral("the wake-up lies in the past"));
        if (!wakeAt.isValid() || (until.isValid() && until < wakeAt))
            wakeAt = until;
        if (wakeAt > trueTime_)
            trueTime_ = wakeAt;
        form->schoolDay().resumed();
        pass(); // the wall-clock timer fires at once after a resume
    }

    void fault() {
        switch (random.bounded(8)) {
        case 0: // the user puts the PC to sleep, for minutes or past a night
            sleepUntilWoken(trueTime_.addSecs(60 * (3 + random.bounded(900))));
            break;
        case 6: // asleep across a bell, woken a minute or three after it
            if (const auto bell =
                    bellcalendar::next(form->values(), form->dayPlan(), fakes.clock.now()))
                sleepUntilWoken(bell->at.addSecs(60 * (1 + random.bounded(3))));
            break;
        case 1: // the time service nudges the clock
            stepFor(random.bounded(2) ? 30 : -30, 10 + random.bounded(50), false);
            break;
        case 2: // a clock hours off, set right later
            stepFor(random.bounded(2) ? 3 * 3600 : -3 * 3600, 30 + random.bounded(60), false);
            break;
        case 3: // the time zone set an hour forward, and back again
            stepFor(3600, 60 + random.bounded(180), true);
            break;
        case 4: // the sound server gone for a while
            ++mixerGaps;
            fakes.mixer.open = false;
            runMinutes(30 + random.bounded(200));
            fakes.mixer.open = true;
            break;
        case 7: // the wake-up refused for a day (the polkit rule gone): held awake instead
            wake.refuse = true;
            runMinutes(24 * 60);
            wake.refuse = false;
            break;
        case 5: // ended at log-off, started again at log-on
            ++restarts;
            stop();
            trueTime_ = trueTime_.addSecs(60 * (1 + random.bounded(3)));
            showClock();
            start();
            break;
        }
    }

    void stepFor(int seconds, int minutes, bool zone) {
        ++steps;
        qint64& off = zone ? zoneSecs_ : stepSecs_;
        off += seconds;
        emit form->activeSchedulerTimer().clockChanged();
        pass();
        runMinutes(minutes);
        off -= seconds;
        emit form->activeSchedulerTimer().clockChanged();
        pass();
    }

    void runMinutes(int minutes) {
        for (int i = 0; i < minutes; ++i) {
            trueTime_ = trueTime_.addSecs(60);
            pass();
            checkAwake();
        }
    }

private:
    QDateTime trueTime_{QDateTime(kFirstDay, QTime(7, 0))};
    qint64 stepSecs_ = 0;
    qint64 zoneSecs_ = 0;
    QString lastCurrent_;
    QDateTime since_;
};

class YearTest : public QObject {
    Q_OBJECT
private slots:
    void everyBellOfTheYearAccountedFor() {
        Year year;
        {
            // The winter break is marked before the year starts.
            Holidays holidays(*year.store);
            DayPlan(*year.store, holidays).setDates(kBreakFrom, kBreakTo, DayPlan::NoBells);
        }
        year.run();

        // The bells due, told apart from the program's own rules: weekdays on
        // the default table, no national day, not in the break.
        StoredValues values;
        GetRegistry(*year.store, values);
        std::map<std::tuple<QDate, int, int>, std::vector<const Ring*>> due;
        for (QDate d = kFirstDay; d <= kLastDay; d = d.addDays(1)) {
            if (d.dayOfWeek() >= 6 || holidays::isNationalHoliday(d) ||
                (d >= kBreakFrom && d <= kBreakTo))
                continue;
            for (int cell = 0; cell < timetable::kCellsPerTable; ++cell) {
                const QTime t = QTime::fromString(values.timex[cell], QStringLiteral("HH:mm"));
                if (t.isValid())
                    due[{d, t.hour() * 60 + t.minute(), timetable::kindOf(cell)}] = {};
            }
        }
        for (const Ring& ring : year.rings) {
            bool matched = false;
            for (int late = 0; late <= 2 && !matched; ++late) {
                auto it = due.find({ring.date, ring.minute - late, ring.kind});
                if (it != due.end()) {
                    it->second.push_back(&ring);
                    matched = true;
                }
            }
            if (!matched)
                year.wrong(QStringLiteral("a bell rang at %1 on %2 with none due")
                               .arg(ring.minute)
                               .arg(ring.date.toString(Qt::ISODate)));
        }
        int onTime = 0, late = 0, missed = 0;
        for (const auto& [bell, rungAt] : due) {
            const auto& [date, minute, kind] = bell;
            std::set<int> epochs;
            for (const Ring* r : rungAt) {
                if (!epochs.insert(r->epoch).second)
                    year.wrong(QStringLiteral("%1 %2 rang twice")
                                   .arg(date.toString(Qt::ISODate))
                                   .arg(minute));
            }
            if (std::any_of(rungAt.begin(), rungAt.end(),
                            [&](const Ring* r) { return r->minute == minute; }))
                ++onTime;
            else if (!rungAt.empty())
                ++late;
            else if (year.missed.count(bell))
                ++missed;
            else
                year.wrong(QStringLiteral("%1 %2 neither rung nor logged")
                               .arg(date.toString(Qt::ISODate))
                               .arg(minute));
        }
        qInfo("school year: %d bells due, %d rung on time, %d rung late, %d missed with reason, "
              "%d wrong; %d suspends, %d clock steps, %d mixer gaps, %d restarts; heap %.2f -> "
              "%.2f MB",
              int(due.size()), onTime, late, missed, year.wrongs, year.suspends, year.steps,
              year.mixerGaps, year.restarts, year.heapFirstMonth, year.heapLastMonth);
        QVERIFY2(year.wrongs == 0, qPrintable(year.wrongWhy.join(QLatin1Char('\n'))));
        QVERIFY(onTime > int(due.size()) * 9 / 10);
        QVERIFY(year.restarts > 0 && year.suspends > 100 && year.steps > 0 && year.mixerGaps > 0);
        QVERIFY2(year.heapLastMonth - year.heapFirstMonth < 1.0, "heap in use grows over the year");
    }
};

QTEST_MAIN(YearTest)
#include "tst_year.moc"

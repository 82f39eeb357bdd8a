#pragma once

// The assembled program driven through the school year of YearCalendar.h,
// with the test's own prediction of every bell beside it.
#include "platform/EventLog.h"
#include "support/DayRig.h"
#include "support/StartedForm.h"
#include "support/YearCalendar.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimeZone>
#include <QtTest>

#include <map>

namespace year {

class Year {
public:
    enum class Cause { None, IdleSleep, ForcedSleep, Step };

    Year() {
        fakes.clock.set(trueTime_);
        eventlog::setSink([this](eventlog::Level, const QString& line) { logged(line); });
        QDir().mkpath(folders.app() + "/Müzik");
        QFile song(folders.app() + "/Müzik/marş.mid");
        song.open(QIODevice::WriteOnly);
        store = std::make_unique<SettingsStore>();
        writeSchoolSettings(*store);
    }
    ~Year() { eventlog::setSink({}); }

    TestFolders folders;
    RecordingPlatform fakes;
    FakeWakeAlarm wake;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<MainWindow> form;
    QRandomGenerator random{20260914};

    std::map<Event, int> predicted, observed;
    int calendarBells = 0;
    int wrongs = 0;
    int restarts = 0, idleSleeps = 0, forcedSleeps = 0, steps = 0, mixerGaps = 0, refusals = 0;
    double heapFirstMonth = 0, heapLastMonth = 0;

    void start() {
        Platform platform = fakes.platform();
        platform.wakeAlarm = &wake;
        form = std::make_unique<MainWindow>(platform, *store);
        QVERIFY(form->startUp(contextFor(folders, 99, QStringLiteral("-systray"))));
        running_ = true;
        fresh_ = true;
        pass(); // the first pass right after start-up
    }
    void stop() {
        form->quitProgram();
        if (fakes.mixer.open && fakes.mixer.wave == fakes.mixer.waveMin)
            wrong(QStringLiteral("master level not restored at the end"));
        form.reset();
        running_ = false;
        fakes.player.current.clear(); // its sound ends with the program
        lastCurrent_.clear();
    }

    // The program's clock: the true time, off by a step, in its zone.
    void showClock() {
        QDateTime shown = trueTime_.addSecs(stepSecs_);
        if (zoneSecs_)
            shown = shown.toTimeZone(QTimeZone(shown.offsetFromUtc() + int(zoneSecs_)));
        fakes.clock.set(shown);
    }
    qint64 shownWall() const { return wallSecs(fakes.clock.now()); }

    // Moves the true time on, ending each sound when its time is up.
    void advanceTo(const QDateTime& target) {
        while (running_ && !fakes.player.current.isEmpty() && soundEnds_ <= target) {
            trueTime_ = soundEnds_;
            showClock();
            fakes.player.finish();
            observe();
        }
        trueTime_ = target;
        showClock();
    }
    // To the start of the next minute on the program's clock.
    void nextMinute() {
        const int second = fakes.clock.now().time().second();
        advanceTo(trueTime_.addSecs(second == 0 ? 60 : 60 - second));
    }

    // The timer fires: at the minute, or at once after a resume or a clock set.
    void pass() {
        const qint64 now = shownWall();
        predict(now);
        emit form->activeSchedulerTimer().timeout();
        observe();
        checkAwake(now);
        cause_ = Cause::None;
    }

    // A sound that began is timed; a bell melody is counted.
    void observe() {
        const QString current = fakes.player.current;
        if (current != lastCurrent_) {
            lastCurrent_ = current;
            soundEnds_ = trueTime_.addSecs(secondsOf(current));
        }
        if (!current.isEmpty() && !fakes.inhibitor.held)
            wrong(QStringLiteral("a sound plays and the PC may sleep: ") + current);
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

    void logged(const QString& line) {
        static const QRegularExpression ringing(
            QStringLiteral("^Çalıyor: (Öğrenci giriş|Öğretmen giriş|Çıkış) zili \\((.*)\\)$"));
        static const QRegularExpression ceremony(
            QStringLiteral("^Çalıyor: (İstiklal Marşı|Siren) \\([02]\\.mp3\\)$"));
        static const QRegularExpression missedLine(
            QStringLiteral("^(Öğrenci giriş zili|Öğretmen giriş zili|Çıkış zili|10 Kasım anması "
                           "\\(siren|10 Kasım anması \\(İstiklal|Bayrak töreni).* "
                           "(\\d\\d):(\\d\\d) çalmadı"));
        const auto kindOf = [](const QString& name) {
            return name.startsWith(QStringLiteral("Öğrenci"))    ? 0
                   : name.startsWith(QStringLiteral("Öğretmen")) ? 1
                   : name.startsWith(QStringLiteral("Çıkış"))    ? 2
                   : name.endsWith(QStringLiteral("(siren"))     ? kSiren
                                                                 : kAnthem;
        };
        if (!form)
            return;
        const qint64 now = shownWall();
        const auto m = ringing.match(line);
        const auto c = ceremony.match(line);
        if (m.hasMatch() || c.hasMatch()) {
            const int kind = c.hasMatch()
                                 ? (c.captured(1) == QStringLiteral("Siren") ? kSiren : kAnthem)
                                 : kindOf(m.captured(1));
            if (m.hasMatch() && m.captured(2) != form->values().Zil[kind])
                return; // its announcement
            const bool heard = fakes.mixer.open && fakes.mixer.wave != fakes.mixer.waveMin;
            // The bell it stands for: of its kind, the latest at or before now.
            qint64 bellAt = now - now % 60;
            for (const Bell& b : bellsOn(dateOf(now))) {
                if (b.kind == kind && b.at <= now)
                    bellAt = b.at;
            }
            const Outcome outcome = !heard ? Silent : now - bellAt < 60 ? OnTime : Late;
            ++observed[{bellAt, kind, outcome}];
            return;
        }
        if (const auto missed = missedLine.match(line); missed.hasMatch()) {
            const int minute = missed.captured(2).toInt() * 60 + missed.captured(3).toInt();
            const int nowMinute = int(now % 86400) / 60;
            const QDate day = minute > nowMinute ? dateOf(now).addDays(-1) : dateOf(now);
            ++observed[{day.toJulianDay() * 86400 + minute * 60, kindOf(missed.captured(1)),
                        MissedLogged}];
        }
    }

    void wrong(const QString& why, bool stamped = true) {
        ++wrongs;
        if (wrongs <= 40)
            qWarning("%s",
                     qPrintable(stamped ? wallText(shownWall()) + QLatin1Char(' ') + why : why));
    }

    // What the program must do at this pass, from the test's own calendar.
    void predict(qint64 now) {
        const auto add = [&](const Bell& b, Outcome o) { ++predicted[{b.at, b.kind, o}]; };
        const auto each = [&](qint64 from, qint64 to, auto&& f) { // bells in (from, to]
            for (QDate d = dateOf(from); d <= dateOf(to); d = d.addDays(1)) {
                for (const Bell& b : bellsOn(d)) {
                    if (b.at > from && b.at <= to)
                        f(b);
                }
            }
        };
        const auto ringNow = [&](const Bell& b) {
            // A ceremony is held in its own minute only, never late.
            if (b.kind >= kAnthem && now - b.at >= 60)
                add(b, MissedLogged);
            else
                add(b, !fakes.mixer.open ? Silent : now - b.at < 60 ? OnTime : Late);
        };
        if (fresh_) {
            // A program started afresh rings only its own minute; what fell
            // while it was not running is lost.
            if (high_ > 0)
                each(high_, now - now % 60 - 1, [&](const Bell& b) { add(b, NotRunning); });
            each(now - now % 60 - 1, now, ringNow);
            fresh_ = false;
            high_ = now;
            return;
        }
        if (now < high_ - kLateSecs) {
            // Set back by more than the late window: the times ring again.
            each(now - now % 60 - 1, now, ringNow);
            high_ = now;
            return;
        }
        if (now <= high_)
            return; // set back a little: nothing rings twice
        each(high_, now, [&](const Bell& b) {
            if (now - b.at <= kLateSecs && dateOf(b.at) == dateOf(now)) {
                ringNow(b);
                return;
            }
            if (cause_ == Cause::None || cause_ == Cause::IdleSleep)
                wrong(QStringLiteral("bell of %1 slept through").arg(wallText(b.at)));
            add(b, MissedLogged);
        });
        high_ = now;
    }

    // Held while the day's bells run; never let go with a bell ahead and no
    // wake-up set before it.
    void checkAwake(qint64 now) {
        const bool held = fakes.inhibitor.held;
        const auto bells = bellsOn(dateOf(now));
        if (!bells.empty() && stepSecs_ == 0 && zoneSecs_ == 0 &&
            now >= bells.front().at - 15 * 60 && now <= bells.back().at + 59 && !held)
            wrong(QStringLiteral("not held during the day's bells"));
        if (held)
            return;
        const auto bell = nextBellAfter(now);
        const QDateTime armed = wake.armedFor();
        if (bell && (!armed.isValid() || wallSecs(armed) >= bell->at))
            wrong(QStringLiteral("may sleep with the bell of %1 ahead and the wake-up at %2")
                      .arg(wallText(bell->at),
                           armed.isValid() ? wallText(wallSecs(armed)) : QStringLiteral("none")));
    }

    // The year, minute by minute while the PC is awake.
    void run() {
        start();
        int idle = 0;
        size_t termsSet = 1;
        QDate lastFaultDay;
        int faultCase = 0;
        while (trueTime_.date() <= kLastDay) {
            nextMinute();
            pass();
            if (trueTime_.date() >= kFirstDay.addDays(30) && heapFirstMonth == 0)
                heapFirstMonth = heapInUseMb();
            if (trueTime_.date() >= kLastDay.addDays(-30) && heapLastMonth == 0)
                heapLastMonth = heapInUseMb();
            if (termsSet < kTerms.size() && trueTime_ >= kTerms[termsSet].setAt) {
                for (int day = 1; day <= 7; ++day)
                    form->dayPlan().setWeekdayChoice(
                        day, DayPlan::Choice(kTerms[termsSet].choice[day - 1]));
                ++termsSet;
                observe();
                checkAwake(shownWall());
            }

            const QTime time = trueTime_.time();
            if (time.hour() >= 7 && time.hour() <= 14 && trueTime_.date() != lastFaultDay &&
                !bellsOn(trueTime_.date()).empty() && random.bounded(100) < 2) {
                lastFaultDay = trueTime_.date();
                fault(faultCase++ % 9);
                idle = 0;
                continue;
            }
            idle = fakes.inhibitor.held || !fakes.player.current.isEmpty() ? 0 : idle + 1;
            if (idle >= kIdleSuspendMinutes && stepSecs_ == 0 && zoneSecs_ == 0) {
                ++idleSleeps;
                sleepUntil(QDateTime(), Cause::IdleSleep);
                idle = 0;
            }
        }
        stop();
    }

    // The PC sleeps until its wake-up, or until `until` (the user) if that
    // is valid and sooner; without either, to the end of the year.
    void sleepUntil(QDateTime until, Cause cause) {
        QDateTime wakeAt = wake.armedFor();
        if (wakeAt.isValid() && wakeAt <= fakes.clock.now())
            wrong(QStringLiteral("the wake-up lies in the past"));
        if (!wakeAt.isValid() || (until.isValid() && until < wakeAt))
            wakeAt = until;
        if (!wakeAt.isValid()) {
            trueTime_ = QDateTime(kLastDay.addDays(1), QTime(0, 0));
            return;
        }
        if (wakeAt <= trueTime_)
            return;
        trueTime_ = wakeAt;
        showClock();
        cause_ = cause;
        form->schoolDay().resumed();
        pass(); // the wall-clock timer fires at once after a resume
    }

    void fault(int which) {
        if (qEnvironmentVariableIsSet("YEAR_TRACE"))
            qInfo("fault %d at %s", which, qPrintable(wallText(shownWall())));
        switch (which) {
        case 0: { // the user puts the PC to sleep, for minutes or past a night
            ++forcedSleeps;
            sleepUntil(trueTime_.addSecs(60 * (3 + random.bounded(900))), Cause::ForcedSleep);
            break;
        }
        case 1: // asleep across a bell, woken some seconds after it
        case 5: {
            static const int kAfter[] = {30, 100, 120, 150, 175, 200, 300, 61};
            const auto bell = nextBellAfter(shownWall());
            if (!bell)
                break;
            ++forcedSleeps;
            const QDateTime at = QDateTime(dateOf(bell->at), QTime(0, 0)).addSecs(bell->at % 86400);
            sleepUntil(at.addSecs(kAfter[random.bounded(8)]), Cause::ForcedSleep);
            break;
        }
        case 2: // the time service nudges the clock back right after a bell
        case 6: {
            const auto bell = nextBellAfter(shownWall());
            if (!bell || bell->at - shownWall() > 3 * 3600)
                break;
            while (shownWall() < bell->at) {
                nextMinute();
                pass();
            }
            static const int kBack[] = {-30, -60, -90, -60};
            stepFor(kBack[random.bounded(4)], 5 + random.bounded(20), false);
            break;
        }
        case 3: // a clock hours off, set right later
            stepFor(random.bounded(2) ? 3 * 3600 : -3 * 3600, 30 + random.bounded(60), false);
            break;
        case 4: // the time zone set an hour forward, and back again
            stepFor(3600, 60 + random.bounded(180), true);
            break;
        case 7: // the sound server gone for a while
            ++mixerGaps;
            fakes.mixer.open = false;
            runMinutes(30 + random.bounded(200));
            fakes.mixer.open = true;
            break;
        case 8: { // the wake-up refused for a day (the polkit rule gone): held awake
                  // instead; the user then forces a sleep, with no wake-up possible
            ++refusals;
            wake.refuse = true;
            form->schoolDay().resumed(); // the request is made again, and refused
            observe();
            runMinutes(24 * 60);
            ++forcedSleeps;
            sleepUntil(trueTime_.addSecs(60 * (10 + random.bounded(600))), Cause::ForcedSleep);
            wake.refuse = false;
            form->schoolDay().resumed();
            observe();
            // Ended at log-off just before a bell, started again after it.
            const auto bell = nextBellAfter(shownWall());
            while (bell && bell->at - shownWall() <= 3 * 3600 && shownWall() < bell->at - 60) {
                nextMinute();
                pass();
            }
            ++restarts;
            stop();
            advanceTo(trueTime_.addSecs(60 * (2 + random.bounded(3))));
            start();
            break;
        }
        }
    }

    void stepFor(int seconds, int minutes, bool zone) {
        ++steps;
        qint64& off = zone ? zoneSecs_ : stepSecs_;
        off += seconds;
        showClock();
        cause_ = Cause::Step;
        emit form->activeSchedulerTimer().clockChanged();
        pass();
        runMinutes(minutes);
        off -= seconds;
        showClock();
        cause_ = Cause::Step;
        emit form->activeSchedulerTimer().clockChanged();
        pass();
    }

    void runMinutes(int minutes) {
        for (int i = 0; i < minutes; ++i) {
            nextMinute();
            pass();
        }
    }

private:
    QDateTime trueTime_{QDateTime(kFirstDay, QTime(7, 0))};
    qint64 stepSecs_ = 0;
    qint64 zoneSecs_ = 0;
    QString lastCurrent_;
    QDateTime soundEnds_;
    bool running_ = false;
    bool fresh_ = true;
    qint64 high_ = 0; // the latest time on the program's clock its passes covered
    Cause cause_ = Cause::None;
};

} // namespace year

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
#include "core/SettingsTable.h"
#include "platform/EventLog.h"
#include "support/DayRig.h"
#include "support/StartedForm.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimeZone>
#include <QtTest>

#include <malloc.h>
#include <map>
#include <optional>

namespace {
const QDate kFirstDay(2026, 9, 14);
const QDate kLastDay(2027, 6, 18);
constexpr int kIdleSuspendMinutes = 20; // GNOME on mains power
constexpr int kLateSecs = 120;          // a bell rings late only within 2 minutes

// Turkey's national days inside the school year.
const std::vector<QDate> kNationalDays{
    QDate(2026, 10, 29), // Cumhuriyet Bayramı
    QDate(2027, 1, 1),   // Yılbaşı
    QDate(2027, 4, 23),  // Ulusal Egemenlik ve Çocuk Bayramı
    QDate(2027, 5, 1),   // Emek ve Dayanışma Günü
    QDate(2027, 5, 19),  // Atatürk'ü Anma, Gençlik ve Spor Bayramı
};
// Marked breaks: the winter break and Ramazan Bayramı.
const std::vector<std::pair<QDate, QDate>> kBreaks{
    {QDate(2027, 1, 25), QDate(2027, 2, 5)},
    {QDate(2027, 3, 9), QDate(2027, 3, 11)},
    {kLastDay.addDays(1), QDate(2027, 9, 12)},
};
// An exam week on the weekend table, over Cumhuriyet Bayramı.
const QDate kExamFrom(2026, 10, 26), kExamTo(2026, 10, 30);

// The timetables: student entry, teacher entry, exit per lesson.
const std::vector<std::array<const char*, 3>> kWeekdayRows{
    {"08:15", "08:30", "09:10"}, {"09:20", "09:25", "10:05"}, {"10:20", "10:25", "11:05"},
    {"11:15", "11:20", "12:00"}, {"13:20", "13:25", "14:05"}, {"14:15", "14:20", "15:00"},
};
// Starts earlier than the weekday table: a wake-up for the wrong table is late.
const std::vector<std::array<const char*, 3>> kWeekendRows{
    {"08:00", "08:05", "08:45"},
    {"08:55", "09:00", "09:40"},
    {"09:50", "09:55", "10:35"},
    {"10:45", "10:50", "11:30"},
};

// Weekday choices (Monday first; 0 weekday table, 1 weekend table, 2 none),
// each in force from its date on, set the day before once its bells are over.
struct Term {
    QDate from;
    std::array<int, 7> choice;
    QDateTime setAt; // when the school changes them, while the PC is up
};
const std::vector<Term> kTerms{
    // Saturday bells on the weekend table, Sunday none.
    {kFirstDay, {0, 0, 0, 0, 0, 1, 2}, {}},
    // The whole weekend on "Zil yok".
    {QDate(2026, 11, 15), {0, 0, 0, 0, 0, 2, 2}, QDateTime(QDate(2026, 11, 14), QTime(11, 40))},
    // The spring term: Friday on the weekend table.
    {QDate(2027, 1, 23), {0, 0, 0, 0, 1, 2, 2}, QDateTime(QDate(2027, 1, 22), QTime(15, 5))},
};

// How long each sound plays, by its folder.
int secondsOf(const QString& file) {
    if (file.contains(QLatin1String("/Melodiler/")))
        return 40;
    if (file.contains(QLatin1String("/Anonslar/")))
        return 50;
    if (file.contains(QLatin1String("/Müzik/")))
        return 180;
    return 60;
}

qint64 wallSecs(const QDateTime& t) {
    return t.date().toJulianDay() * 86400 + t.time().msecsSinceStartOfDay() / 1000;
}
QDate dateOf(qint64 wall) {
    return QDate::fromJulianDay(wall / 86400);
}
QString wallText(qint64 wall) {
    return dateOf(wall).toString(Qt::ISODate) +
           QTime(0, 0).addSecs(int(wall % 86400)).toString(QStringLiteral(" HH:mm:ss"));
}
double heapInUseMb() {
    return mallinfo2().uordblks / (1024.0 * 1024.0);
}

struct Bell {
    qint64 at; // wall seconds
    int kind;
};

// The test's own calendar.
int tableOn(const QDate& date) {
    for (const auto& [from, to] : kBreaks) {
        if (date >= from && date <= to)
            return -1;
    }
    if (std::find(kNationalDays.begin(), kNationalDays.end(), date) != kNationalDays.end())
        return -1; // a national day inside an exam week stays a holiday
    if (date >= kExamFrom && date <= kExamTo)
        return 1;
    const Term* term = &kTerms.front();
    for (const Term& t : kTerms) {
        if (date >= t.from)
            term = &t;
    }
    const int choice = term->choice[date.dayOfWeek() - 1];
    return choice == 2 ? -1 : choice;
}

std::vector<Bell> bellsOn(const QDate& date) {
    std::vector<Bell> bells;
    const int table = tableOn(date);
    if (table < 0)
        return bells;
    for (const auto& row : table == 0 ? kWeekdayRows : kWeekendRows) {
        for (int kind = 0; kind < 3; ++kind) {
            const QTime t =
                QTime::fromString(QString::fromLatin1(row[kind]), QStringLiteral("HH:mm"));
            bells.push_back({date.toJulianDay() * 86400 + t.msecsSinceStartOfDay() / 1000, kind});
        }
    }
    std::sort(bells.begin(), bells.end(), [](const Bell& a, const Bell& b) { return a.at < b.at; });
    return bells;
}

std::optional<Bell> nextBellAfter(qint64 wall) {
    for (QDate d = dateOf(wall); d <= kLastDay.addDays(30); d = d.addDays(1)) {
        for (const Bell& bell : bellsOn(d)) {
            if (bell.at > wall)
                return bell;
        }
    }
    return std::nullopt;
}

// What happened to a bell: the wall time (shown clock) it rang or was
// missed at counts, with its own minute.
enum Outcome { OnTime, Late, Silent, MissedLogged, NotRunning };
const char* const kOutcomeNames[] = {"on time", "late", "silent (mixer gone)", "missed and logged",
                                     "missed (program not running)"};
using Event = std::tuple<qint64, int, int>; // bell wall time, kind, outcome
} // namespace

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
        writeSettings();
    }
    ~Year() { eventlog::setSink({}); }

    TestFolders folders;
    RecordingPlatform fakes;
    FakeWakeAlarm wake;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<Form1> form;
    QRandomGenerator random{20260914};

    std::map<Event, int> predicted, observed;
    int calendarBells = 0;
    int wrongs = 0;
    int restarts = 0, idleSleeps = 0, forcedSleeps = 0, steps = 0, mixerGaps = 0, refusals = 0;
    double heapFirstMonth = 0, heapLastMonth = 0;

    // The school's timetable and calendar, as the administrator sets them.
    void writeSettings() {
        for (int table = 0; table < 2; ++table) {
            const auto& rows = table == 0 ? kWeekdayRows : kWeekendRows;
            for (int row = 0; row < 12; ++row) {
                for (int kind = 0; kind < 3; ++kind) {
                    const int cell = 36 * table + 3 * row + kind;
                    store->save(settings::timex(cell), row < int(rows.size())
                                                           ? QString::fromLatin1(rows[row][kind])
                                                           : QStringLiteral("__:__"));
                }
                // Music in the breaks but the lunch break and after the day's last bell.
                const bool music = row + 1 < int(rows.size()) && !(table == 0 && row == 3);
                store->save(settings::musicT(12 * table + row), music ? "1" : "0");
            }
        }
        // Announcements after the student entry and exit bells: the day's last
        // sound (exit bell and its announcement) lasts past the minute after it.
        store->save(settings::anons(0), QStringLiteral("1"));
        store->save(settings::anons(1), QStringLiteral("0"));
        store->save(settings::anons(2), QStringLiteral("1"));
        store->save(settings::masterVolume(), QStringLiteral("2"));
        Holidays holidays(*store);
        DayPlan plan(*store, holidays);
        for (const auto& [from, to] : kBreaks)
            plan.setDates(from, to, DayPlan::NoBells);
        plan.setDates(kExamFrom, kExamTo, DayPlan::WeekendTable);
        for (int day = 1; day <= 7; ++day)
            plan.setWeekdayChoice(day, DayPlan::Choice(kTerms.front().choice[day - 1]));
    }

    void start() {
        Platform platform = fakes.platform();
        platform.wakeAlarm = &wake;
        form = std::make_unique<Form1>(platform, *store);
        QVERIFY(form->Form_Load(contextFor(folders, 99, QStringLiteral("-systray"))));
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
        static const QRegularExpression missedLine(
            QStringLiteral("^(Öğrenci giriş|Öğretmen giriş|Çıkış) zili (\\d\\d):(\\d\\d) çalmadı"));
        const auto kindOf = [](const QString& name) {
            return name.startsWith(QStringLiteral("Öğrenci"))    ? 0
                   : name.startsWith(QStringLiteral("Öğretmen")) ? 1
                                                                 : 2;
        };
        if (!form)
            return;
        const qint64 now = shownWall();
        if (const auto m = ringing.match(line); m.hasMatch()) {
            const int kind = kindOf(m.captured(1));
            if (m.captured(2) != form->values().Zil[kind])
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
        if (const auto m = missedLine.match(line); m.hasMatch()) {
            const int minute = m.captured(2).toInt() * 60 + m.captured(3).toInt();
            const int nowMinute = int(now % 86400) / 60;
            const QDate day = minute > nowMinute ? dateOf(now).addDays(-1) : dateOf(now);
            ++observed[{day.toJulianDay() * 86400 + minute * 60, kindOf(m.captured(1)),
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
        for (const auto& [event, count] : year.predicted)
            want[std::get<2>(event)] += count;
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
    }
};

QTEST_MAIN(YearTest)
#include "tst_year.moc"

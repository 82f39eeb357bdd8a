#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <set>

class Clock;
class DayPlan;
class Playback;
struct StoredValues;

// One pass at the start of each minute: every cell of the table that day
// rings whose time equals the current HH:MM rings through Playback::play(), in index
// order, and an exit bell marks its break for music. A minute is rung at
// most once per run, also when the clock is stepped back a little or a
// timer fires early. Whatever made a pass late (a resume, a clock set
// forward, a busy machine), a bell rings late only within kLateSeconds of
// its time and on its own day; an older one is logged as missed. A clock
// set back by more than kLateMinutes (one that was hours fast, corrected)
// starts the memory afresh, so the true minutes ring.
class BellScheduler {
public:
    static constexpr int kLateMinutes = 2;
    static constexpr int kLateSeconds = kLateMinutes * 60;

    BellScheduler(const StoredValues& values, Playback& playback, const Clock& clock);

    void setAppPath(const QString& appPath) { appPath_ = appPath; }
    // Which table each date rings; without a plan, the weekday table from
    // Monday to Friday and the weekend table on Saturday and Sunday.
    void setPlan(const DayPlan* plan) { plan_ = plan; }

    // Runs one pass and returns the start of the minute after the clock's
    // reading: the moment the next pass is due.
    QDateTime pass();

    // Rings one cell now, as a pass does.
    void ring(int cell);

    // 0 weekday, 1 weekend, -1 no bells on that date.
    int tableOn(const QDate& date) const;

private:
    void logMissed(qint64 firstMinute, qint64 lastMinute) const;
    // A date without bells; logs why, once a day (and an eve's afternoon).
    bool quietDay(const QDate& date);
    // The ceremonies of the minute: held when the pass is on time, else logged as missed.
    void holdCeremonies(qint64 minute, bool onTime);
    void endMusicOfHalfDay(const QDateTime& now);
    // The cells that ring at this minute, in index order.
    QList<int> cellsAt(qint64 minute) const;
    // Makes the melody heard at `minute` ready to start at once.
    void prepareFor(qint64 minute);
    void prepareMelodyOf(int cell);

    const StoredValues& values_;
    Playback& playback_;
    const Clock& clock_;
    QString appPath_;
    const DayPlan* plan_ = nullptr;
    QDate quietLogged_;
    QDate halfDayLogged_;
    std::set<qint64> rung_; // minutes (since the epoch) rung
    qint64 lastPassed_ = -1;
};

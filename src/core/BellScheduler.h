#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <set>

class Clock;
class Holidays;
class Playback;
struct StoredValues;

// One pass at the start of each minute over the table in force: every cell
// whose time equals the current HH:MM rings through MPPlay, in index order,
// and an exit bell marks its break for music. A minute is rung at most once
// per table and run, also when the clock is stepped back a little or a timer
// fires early. Whatever made a pass late (a resume, a clock set forward, a
// busy machine), a bell rings late only within kLateMinutes of its minute;
// an older one is logged as missed. A clock set back by more than that (one
// that was hours fast, corrected) starts the memory afresh, so the true
// minutes ring.
class BellScheduler {
public:
    static constexpr int kLateMinutes = 2;

    BellScheduler(const StoredValues& values, Playback& playback, const Clock& clock);

    void setAppPath(const QString& appPath) { appPath_ = appPath; }
    // On a marked day a pass rings nothing (and so starts no break music).
    void setHolidays(const Holidays* holidays) { holidays_ = holidays; }

    // Runs one pass over `table` (0 weekday, 1 weekend) and returns the
    // milliseconds from the clock's reading to the start of the next minute.
    int pass(int table);

    // Rings one cell now, as a pass does.
    void ring(int cell);

    static int msToNextMinute(const QTime& time);

private:
    void logMissed(int table, qint64 firstMinute, qint64 lastMinute) const;
    // A marked day; holidayAt() also logs it, once a day.
    bool isHoliday(qint64 minute) const;
    bool holidayAt(qint64 minute);
    // The table's cells that ring at this minute, in index order.
    QList<int> cellsAt(int table, qint64 minute) const;
    // Some bell of the table falls on this minute, and it is no holiday.
    bool ringsAt(int table, qint64 minute) const;
    // Makes the melody of `cell` ready to start at once.
    void prepareMelodyOf(int cell);
    const StoredValues& values_;
    Playback& playback_;
    const Clock& clock_;
    QString appPath_;
    const Holidays* holidays_ = nullptr;
    QDate holidayLogged_;
    std::set<qint64> rung_[2]; // minutes (since the epoch) rung per table
    qint64 lastPassed_[2] = {-1, -1};
};

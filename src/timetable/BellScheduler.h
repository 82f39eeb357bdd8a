#pragma once

#include <QDateTime>
#include <QString>

#include <set>

class Clock;
class Playback;
struct StoredValues;

// One pass at the start of each minute over the table in force: every cell
// whose time equals the current HH:MM rings through MPPlay, in index order,
// and an exit bell marks its break for music. A minute is rung at most once
// per table and run, also when the clock is stepped back or a timer fires
// early; minutes skipped by a clock stepped forward are caught up (a short
// way back only, so a machine woken from sleep does not ring old bells).
class BellScheduler {
public:
    static constexpr int kCatchUpMinutes = 10;

    BellScheduler(const StoredValues& values, Playback& playback, const Clock& clock);

    void setAppPath(const QString& appPath) { appPath_ = appPath; }

    // Runs one pass over `table` (0 weekday, 1 weekend) and returns the
    // milliseconds from the clock's reading to the start of the next minute.
    int pass(int table);

    // Rings one cell now, as a pass does.
    void ring(int cell);

    static int msToNextMinute(const QTime& time);

private:
    const StoredValues& values_;
    Playback& playback_;
    const Clock& clock_;
    QString appPath_;
    std::set<qint64> rung_[2]; // minutes (since the epoch) rung per table
    qint64 lastPassed_[2] = {-1, -1};
};

#pragma once

#include "core/BellCalendar.h"
#include "core/BellScheduler.h"
#include "core/DayChoice.h"
#include "platform/MinuteTimer.h"

#include <QObject>
#include <QTimer>

class Clock;
class ClockSync;
class DayPlan;
class IdleInhibitor;
class Playback;
class WakeAlarm;
struct StoredValues;

// The school day, without a window: which table rings today and its change
// at midnight, the scheduler's passes on the wall clock, staying awake for
// the bells and waking the PC for the next school day, and the notes that
// tell the user about all of it.
//
// Awake rule: the PC may sleep only when it will be woken before its next
// bell. Without a wake-up that the system has accepted, the PC is held awake
// while any bell lies ahead. With one, it is held from kLeadMinutes before
// the first bell of a school day to its last bell; and always while a sound
// plays or a ceremony counts down.
class SchoolDay : public QObject {
    Q_OBJECT
public:
    static constexpr int kLeadMinutes = 15;
    static constexpr int kTimesSettleMs = 1000;

    SchoolDay(StoredValues& values, Playback& playback, const Clock& clock, DayPlan& plan,
              QObject* parent = nullptr);

    void setAppPath(const QString& appPath) { scheduler_.setAppPath(appPath); }
    void setInhibitor(IdleInhibitor* inhibitor) { inhibitor_ = inhibitor; }
    void setWakeAlarm(WakeAlarm* alarm);
    void setClockSync(ClockSync* sync);

    // Takes up the day: the table of today, and the first pass at once, so a
    // bell of this minute rings.
    void begin();
    // Lets go of the PC; the wake-up stays set for the next school day.
    void end();
    // The timetable, the day plan or the stored values changed.
    void settingsChanged();
    // A time typed into the timetable: taken up once the typing pauses, so
    // that the wake-up is not set anew for each keystroke.
    void timesEdited() { timesSettled_.start(); }
    // The PC woke up (the wall-clock timer has brought a pass already).
    void resumed();
    void setCountingDown(bool counting);

    const DayChoice& day() const { return day_; }
    // The table in force today: 0 weekday, 1 weekend, -1 no bells.
    int table() const { return table_; }
    BellScheduler& scheduler() { return scheduler_; }
    MinuteTimer& weekdayTimer() { return weekdayTimer_; }
    MinuteTimer& weekendTimer() { return weekendTimer_; }
    // The timer of the table in force (weekdayTimer on a day without bells).
    MinuteTimer& activeTimer() { return table_ == 1 ? weekendTimer_ : weekdayTimer_; }
    // When the next pass is due, on the clock.
    QDateTime nextPassAt() const { return nextPass_; }
    bool heldAwake() const { return awake_; }
    // The wake-up the program wants set (invalid when no bell lies ahead).
    QDateTime wakeWanted() const { return wakeWanted_; }

    // "Bugün tatil", "Bugün zil yok", "Saat eşitlenmemiş", shown after the clock.
    QString dayNotes() const;
    // "Sonraki zil 09:20 (Öğrenci girişi)".
    QString nextBellText() const;
    // "Bilgisayar 08:10'da açılacak" or "Bilgisayar uyanık tutuluyor"; empty
    // with no bell ahead. "açılacak" says both woken from suspend and powered
    // on after a shutdown: which the night brings is not known in advance.
    QString wakeText() const;

signals:
    // A new day began while running (not at begin()).
    void newDay();
    // Something the notes or texts show changed.
    void statusChanged();

private:
    // The time the running pass began, else the clock's: each reading costs
    // the C library's check of the zone file, and a pass asked ten times.
    QDateTime now() const;
    void pass();
    void armAt(const QDateTime& deadline);
    void takeUpDay(const QDate& date);
    void keepAwake();
    void setWakeUp();
    bool wakeUpStands() const;
    void clockSyncChanged();

    StoredValues& values_;
    Playback& playback_;
    const Clock& clock_;
    DayPlan& plan_;
    BellScheduler scheduler_;
    IdleInhibitor* inhibitor_ = nullptr;
    WakeAlarm* wake_ = nullptr;
    ClockSync* clockSync_ = nullptr;
    MinuteTimer weekdayTimer_;
    MinuteTimer weekendTimer_;
    QTimer timesSettled_;
    DayChoice day_;
    QDate date_;
    int table_ = -1;
    QDateTime nextPass_;
    QDateTime passTime_;
    QDateTime wakeWanted_;
    QString wakeProblemLogged_;
    QString lastStatus_;
    bool awake_ = false;
    bool countingDown_ = false;
    bool running_ = false;
};

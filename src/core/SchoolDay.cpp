#include "core/SchoolDay.h"

#include "core/DayPlan.h"
#include "core/StoredValues.h"
#include "platform/Clock.h"
#include "platform/ClockSync.h"
#include "platform/EventLog.h"
#include "platform/IdleInhibitor.h"
#include "platform/WakeAlarm.h"
#include "sound/Playback.h"

SchoolDay::SchoolDay(StoredValues& values, Playback& playback, const Clock& clock, DayPlan& plan,
                     QObject* parent)
    : QObject(parent), values_(values), playback_(playback), clock_(clock), plan_(plan),
      scheduler_(values, playback, clock) {
    scheduler_.setPlan(&plan_);
    weekdayTimer_.setObjectName(QStringLiteral("tmrMain"));
    weekendTimer_.setObjectName(QStringLiteral("tmrHaftaSonu"));
    for (MinuteTimer* timer : {&weekdayTimer_, &weekendTimer_}) {
        connect(timer, &MinuteTimer::timeout, this, &SchoolDay::pass);
        connect(timer, &MinuteTimer::clockChanged, this, [this] {
            if (clockSync_)
                clockSync_->check(); // a first synchronisation steps the clock
            eventlog::info(QStringLiteral("Saat değişti: %1")
                               .arg(clock_.now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
        });
    }
    connect(&plan_, &DayPlan::changed, this, &SchoolDay::settingsChanged);
    timesSettled_.setSingleShot(true);
    timesSettled_.setInterval(kTimesSettleMs);
    connect(&timesSettled_, &QTimer::timeout, this, &SchoolDay::settingsChanged);
    connect(&playback_, &Playback::playingChanged, this, &SchoolDay::keepAwake);
    takeUpDay(now().date());
}

void SchoolDay::setWakeAlarm(WakeAlarm* alarm) {
    wake_ = alarm;
    if (wake_) {
        connect(wake_, &WakeAlarm::changed, this, [this] {
            if (!wake_->problem().isEmpty() && wake_->problem() != wakeProblemLogged_) {
                wakeProblemLogged_ = wake_->problem();
                eventlog::warning(
                    QStringLiteral("Uyanma saati kurulamadı (%1): bilgisayar uyanık tutulacak")
                        .arg(wake_->problem()));
            } else if (wake_->armedFor().isValid()) {
                wakeProblemLogged_.clear();
                eventlog::info(
                    QStringLiteral("Bilgisayar %1 açılacak")
                        .arg(wake_->armedFor().toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
            }
            keepAwake();
        });
    }
}

void SchoolDay::setClockSync(ClockSync* sync) {
    clockSync_ = sync;
    if (clockSync_)
        connect(clockSync_, &ClockSync::changed, this, &SchoolDay::clockSyncChanged);
}

void SchoolDay::begin() {
    running_ = true;
    takeUpDay(now().date());
    eventlog::info(QStringLiteral("%1, %2").arg(
        day_.dayName.trimmed(),
        table_ < 0 ? QStringLiteral("zil yok") : DayPlan::choiceName(DayPlan::Choice(table_))));
    setWakeUp();
    keepAwake();
    // The first pass right after start-up: a bell of this minute rings at once.
    activeTimer().start(1);
}

void SchoolDay::end() {
    running_ = false;
    weekdayTimer_.stop();
    weekendTimer_.stop();
    keepAwake();
}

QDateTime SchoolDay::now() const {
    return passTime_.isValid() ? passTime_ : clock_.now();
}

void SchoolDay::pass() {
    passTime_ = clock_.now();
    const QDate today = passTime_.date();
    if (today != date_) {
        takeUpDay(today);
        eventlog::info(QStringLiteral("Yeni gün: %1, %2")
                           .arg(day_.dayName.trimmed(),
                                table_ < 0 ? QStringLiteral("zil yok")
                                           : DayPlan::choiceName(DayPlan::Choice(table_))));
        emit newDay();
    }
    armAt(scheduler_.pass());
    setWakeUp();
    keepAwake();
    const QString status = dayNotes() + nextBellText() + wakeText();
    passTime_ = QDateTime();
    if (status != lastStatus_) {
        lastStatus_ = status;
        emit statusChanged();
    }
}

// The deadline was computed before the pass's own work: however long that
// took, the next pass still comes at the minute's start.
void SchoolDay::armAt(const QDateTime& deadline) {
    nextPass_ = deadline;
    activeTimer().start(int(std::max<qint64>(1, clock_.now().msecsTo(deadline))));
}

void SchoolDay::takeUpDay(const QDate& date) {
    const int table = plan_.tableFor(date);
    if (running_ && table != table_)
        activeTimer().stop();
    date_ = date;
    table_ = table;
    day_ = chooseDay(date);
    day_.weekend = table_ == timetable::kWeekendTable;
    if (!day_.weekend)
        day_.noticeMode.clear();
    else if (day_.noticeMode.isEmpty())
        day_.noticeMode = QStringLiteral("HaftaSonuSaatleri"); // a weekday on the weekend table
}

void SchoolDay::settingsChanged() {
    const QDate today = now().date();
    if (running_ && plan_.tableFor(today) != table_) {
        const bool wasArmed = activeTimer().isActive();
        const int remaining = activeTimer().remainingTime();
        takeUpDay(today);
        if (wasArmed)
            activeTimer().start(std::max(1, remaining));
    }
    if (running_)
        setWakeUp();
    keepAwake();
    lastStatus_.clear();
    emit statusChanged();
}

void SchoolDay::resumed() {
    if (!running_)
        return;
    // The system may have dropped or fired the wake-up: set it again.
    wakeWanted_ = QDateTime();
    setWakeUp();
    keepAwake();
}

void SchoolDay::setCountingDown(bool counting) {
    countingDown_ = counting;
    keepAwake();
}

void SchoolDay::setWakeUp() {
    if (!wake_)
        return;
    const QDateTime now = this->now();
    const QDateTime wanted = bellcalendar::wakeFor(values_, plan_, now).value_or(QDateTime());
    if (wanted == wakeWanted_)
        return;
    wakeWanted_ = wanted;
    if (wanted.isValid())
        wake_->set(wanted);
    else
        wake_->clear();
}

bool SchoolDay::wakeUpStands() const {
    return wake_ && wakeWanted_.isValid() && wake_->armedFor() == wakeWanted_;
}

void SchoolDay::keepAwake() {
    const QDateTime now = this->now();
    bool needed = false;
    if (running_) {
        if (playback_.playing() || countingDown_) {
            needed = true;
        } else if (wakeUpStands()) {
            needed = bellcalendar::aroundBells(values_, plan_, now, kLeadMinutes);
        } else {
            needed = bellcalendar::next(values_, plan_, now.addSecs(-60)).has_value();
        }
    }
    if (needed == awake_)
        return;
    awake_ = needed;
    if (inhibitor_)
        inhibitor_->hold(needed);
    eventlog::info(needed ? QStringLiteral("Bilgisayarın uykuya geçmesi engellendi")
                          : QStringLiteral("Bilgisayar yeniden uykuya geçebilir"));
    emit statusChanged();
}

void SchoolDay::clockSyncChanged() {
    if (clockSync_->synchronized() == false)
        eventlog::warning(QStringLiteral("Saat eşitlenmemiş: zil saatleri kaymış olabilir"));
    else if (clockSync_->synchronized())
        eventlog::info(QStringLiteral("Saat eşitlendi"));
    emit statusChanged();
}

QString SchoolDay::dayNotes() const {
    QStringList notes;
    const QDate today = now().date();
    if (plan_.tableFor(today) < 0)
        notes << (plan_.dateChoice(today) == DayPlan::NoBells ? QStringLiteral("Bugün tatil")
                                                              : QStringLiteral("Bugün zil yok"));
    else if (!plan_.halfDayOn(today).isEmpty())
        notes << QStringLiteral("Bugün 13.00'ten sonra zil yok");
    if (clockSync_ && clockSync_->synchronized() == false)
        notes << QStringLiteral("Saat eşitlenmemiş");
    return notes.join(QStringLiteral("  "));
}

QString SchoolDay::nextBellText() const {
    const QDateTime now = this->now();
    return bellcalendar::nextBellText(bellcalendar::next(values_, plan_, now), now.date());
}

QString SchoolDay::wakeText() const {
    if (wakeUpStands()) {
        const QDateTime at = wake_->armedFor();
        const QString words = bellcalendar::dayWords(at.date(), now().date());
        const QString day = words.isEmpty() ? words : words + QLatin1Char(' ');
        return QStringLiteral("Bilgisayar %1%2 açılacak").arg(day, bellcalendar::atTime(at.time()));
    }
    if (awake_ || bellcalendar::next(values_, plan_, now()))
        return QStringLiteral("Bilgisayar uyanık tutuluyor");
    return {};
}

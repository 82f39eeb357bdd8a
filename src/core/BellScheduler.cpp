#include "core/BellScheduler.h"

#include "core/CeremonyPlan.h"
#include "core/DayPlan.h"
#include "core/StoredValues.h"
#include "core/Timetable.h"
#include "platform/Clock.h"
#include "platform/EventLog.h"
#include "sound/Bells.h"
#include "sound/Playback.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {
// Minutes are counted on the local wall clock, so a change of time zone is
// a step of the clock like any other.
qint64 minuteOf(const QDateTime& time) {
    return time.date().toJulianDay() * 24 * 60 + time.time().hour() * 60 + time.time().minute();
}

QDate dayOf(qint64 minute) {
    return QDate::fromJulianDay(minute / (24 * 60));
}

int ofDay(qint64 minute) {
    return int(minute % (24 * 60));
}

QString hhmmOf(qint64 minute) {
    return QString::asprintf("%02d:%02d", ofDay(minute) / 60, ofDay(minute) % 60);
}

// The first bell of a shift (and of the weekend table) carries no announcement
// while the switch is on: the pupils are still lining up.
bool isFirstBell(int cell) {
    return timetable::isWeekdayFirstBell(cell) || cell == 36;
}
} // namespace

BellScheduler::BellScheduler(const StoredValues& values, Playback& playback, const Clock& clock)
    : values_(values), playback_(playback), clock_(clock) {}

int BellScheduler::tableOn(const QDate& date) const {
    if (plan_)
        return plan_->tableFor(date);
    return date.dayOfWeek() >= 6 ? timetable::kWeekendTable : timetable::kWeekdayTable;
}

QDateTime BellScheduler::pass() {
    const QDateTime now = clock_.now();
    const qint64 minute = minuteOf(now);

    if (lastPassed_ >= 0 && minute < lastPassed_ - kLateMinutes) {
        eventlog::info(QStringLiteral("Saat %1 dakika geri alındı; zil saatleri yeniden çalar")
                           .arg(lastPassed_ - minute));
        rung_.clear();
        lastPassed_ = -1;
    }
    // Minutes this pass stands for: the current one, and those since the
    // last pass that are still within the late window and of today.
    qint64 from = minute;
    if (lastPassed_ >= 0 && minute > lastPassed_ + 1) {
        eventlog::info(
            QStringLiteral("Saat ileri atladı: %1 -> %2").arg(hhmmOf(lastPassed_), hhmmOf(minute)));
        // Counted in seconds: a bell of 00:03 still rings at 00:05:00, not at 00:05:13.
        const qint64 intoMinuteMs = now.time().msecsSinceStartOfDay() % 60000;
        from = std::max(lastPassed_ + 1, minute - (kLateSeconds * 1000 - intoMinuteMs) / 60000);
        while (from < minute && dayOf(from) != now.date())
            ++from; // yesterday's last minutes are not rung after midnight
        logMissed(lastPassed_ + 1, from - 1);
    }
    lastPassed_ = std::max(lastPassed_, minute);

    for (qint64 m = from; m <= minute; ++m) {
        if (quietDay(dayOf(m)))
            continue;
        if (!rung_.insert(m).second)
            continue; // rung already: the clock went back or the timer came early
        const bool held = plan_ && ceremonyplan::holdsBells(values_, *plan_, dayOf(m), ofDay(m));
        for (int cell : cellsAt(m)) {
            if (held)
                eventlog::warning(
                    QStringLiteral("%1 %2 çalmadı: 10 Kasım anması sürüyor")
                        .arg(bells::scheduledText(timetable::kindOf(cell)), hhmmOf(m)));
            else
                ring(cell);
        }
        holdCeremonies(m, m == minute);
    }
    endMusicOfHalfDay(now);
    prepareFor(minute + 1);
    // Keep a day's worth; older minutes can no longer come round by a step.
    while (!rung_.empty() && *rung_.begin() < minute - 24 * 60)
        rung_.erase(rung_.begin());
    return QDateTime(now.date(), QTime(now.time().hour(), now.time().minute())).addSecs(60);
}

// Made ready a minute ahead, the first bell after a quiet spell starts as
// soon as any other.
void BellScheduler::prepareFor(qint64 minute) {
    if (const QList<int> cells = cellsAt(minute); !cells.isEmpty())
        prepareMelodyOf(cells.last()); // of cells sharing a minute the last one is heard
}

QList<int> BellScheduler::cellsAt(qint64 minute) const {
    QList<int> cells;
    const int table = tableOn(dayOf(minute));
    if (table < 0 || (plan_ && ofDay(minute) >= plan_->bellsUntil(dayOf(minute))))
        return cells;
    const QString hhmm = hhmmOf(minute);
    const int first = table * timetable::kCellsPerTable;
    for (int cell = first; cell < first + timetable::kCellsPerTable; ++cell) {
        if (values_.timex[cell] == hhmm)
            cells << cell;
    }
    return cells;
}

bool BellScheduler::quietDay(const QDate& day) {
    const QString date = day.toString(QStringLiteral("yyyy-MM-dd"));
    if (tableOn(day) >= 0) {
        const QString eve = plan_ ? plan_->halfDayOn(day) : QString();
        if (!eve.isEmpty() && halfDayLogged_ != day) {
            halfDayLogged_ = day;
            eventlog::info(QStringLiteral("%1: 13.00'ten sonra zil yok (%2)").arg(eve, date));
        }
        return false;
    }
    if (quietLogged_ != day) {
        quietLogged_ = day;
        const bool holiday = plan_ && plan_->dateChoice(day) == DayPlan::NoBells;
        if (holiday && holidays::isNationalHoliday(day))
            eventlog::info(
                QStringLiteral("%1: zil yok (%2, %3)")
                    .arg(holidays::feastName(day), date, holidays::nationalHolidayName(day)));
        else
            eventlog::info((holiday
                                ? QStringLiteral("Bugün tatil (%1): zil ve teneffüs müziği yok")
                                : QStringLiteral("Bugün zil yok (%1): zil ve teneffüs müziği yok"))
                               .arg(date));
    }
    return true;
}

void BellScheduler::holdCeremonies(qint64 minute, bool onTime) {
    if (!plan_)
        return;
    const QDate day = dayOf(minute);
    for (const ceremonyplan::Step step : ceremonyplan::at(values_, *plan_, day, ofDay(minute))) {
        const QString name = ceremonyplan::nameOf(step);
        if (!onTime) {
            // A ceremony is the country's moment: late, it is not held.
            eventlog::warning(
                QStringLiteral("%1 %2 çalmadı: zamanı geçmişti (uyku ya da saat ayarı)")
                    .arg(name, hhmmOf(minute)));
        } else {
            eventlog::info(QStringLiteral("%1 %2").arg(name, hhmmOf(minute)));
            switch (step) {
            case ceremonyplan::Step::Remembrance:
                ceremonies::play(playback_, values_, appPath_, ceremonies::kSiren);
                break;
            case ceremonyplan::Step::RemembranceAnthem:
                ceremonies::play(playback_, values_, appPath_, ceremonies::kAnthem);
                break;
            case ceremonyplan::Step::WeekOpening:
            case ceremonyplan::Step::WeekClosing:
                ceremonies::playAfterBell(playback_, values_, appPath_, ceremonies::kAnthem);
                break;
            }
        }
    }
}

// An eve's afternoon is off: break music that went on from the morning ends.
void BellScheduler::endMusicOfHalfDay(const QDateTime& now) {
    if (!plan_ || !playback_.musicOn())
        return;
    const QDate day = now.date();
    if (now.time().hour() * 60 + now.time().minute() < plan_->bellsUntil(day))
        return;
    eventlog::info(QStringLiteral("%1: teneffüs müziği 13.00'te bitti").arg(plan_->halfDayOn(day)));
    playback_.endMusic();
}

void BellScheduler::logMissed(qint64 firstMinute, qint64 lastMinute) const {
    const qint64 first = std::max(firstMinute, lastMinute - 24 * 60 + 1);
    std::vector<std::pair<qint64, QString>> missed; // the minute, what it held
    for (qint64 m = first; m <= lastMinute; ++m) {
        for (int cell : cellsAt(m))
            missed.emplace_back(m, bells::scheduledText(timetable::kindOf(cell)));
    }
    // A day's ceremonies are reckoned once for the day, not for each minute.
    for (QDate day = dayOf(first); plan_ && day <= dayOf(lastMinute); day = day.addDays(1)) {
        for (const ceremonyplan::Due& due : ceremonyplan::on(values_, *plan_, day)) {
            const qint64 m = day.toJulianDay() * 24 * 60 + due.minute;
            if (m >= first && m <= lastMinute)
                missed.emplace_back(m, ceremonyplan::nameOf(due.step));
        }
    }
    std::stable_sort(missed.begin(), missed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [m, what] : missed)
        eventlog::warning(QStringLiteral("%1 %2 çalmadı: zamanı geçmişti (uyku ya da saat ayarı)")
                              .arg(what, hhmmOf(m)));
}

void BellScheduler::prepareMelodyOf(int cell) {
    const int kind = timetable::kindOf(cell);
    playback_.prepare(appPath_ + Playback::kMelodiler + values_.Zil[kind],
                      values_.Sesx.at(7 + kind));
}

void BellScheduler::ring(int cell) {
    const int kind = timetable::kindOf(cell);
    const QString melody = appPath_ + Playback::kMelodiler + values_.Zil[kind];
    if (!QFileInfo(melody).isFile())
        eventlog::warning(QStringLiteral("%1 %2: melodi dosyası yok (%3), zil sessiz")
                              .arg(bells::scheduledText(kind), values_.timex[cell], melody));
    const bool quietFirstBell = kind == timetable::StudentEntry && isFirstBell(cell) &&
                                values_.ZilIptal == QLatin1String("1");
    bells::ring(playback_, values_, appPath_, kind, values_.Zil[kind], bells::scheduledText(kind),
                quietFirstBell);
    if (kind == timetable::Exit) {
        const int b = timetable::breakOfExitCell(cell);
        playback_.setMusicOn(values_.MusicT[b] == 1 && values_.Aktif == 1);
    }
}

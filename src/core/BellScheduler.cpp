#include "core/BellScheduler.h"

#include "core/Holidays.h"
#include "core/StoredValues.h"
#include "core/Timetable.h"
#include "platform/Clock.h"
#include "platform/EventLog.h"
#include "sound/Bells.h"
#include "sound/Playback.h"

#include <QFileInfo>

namespace {
qint64 minuteOf(const QDateTime& time) {
    return time.toSecsSinceEpoch() / 60;
}

QDate dayOf(qint64 minute) {
    return QDateTime::fromSecsSinceEpoch(minute * 60).date();
}

QString hhmmOf(qint64 minute) {
    return QDateTime::fromSecsSinceEpoch(minute * 60).toString(QStringLiteral("HH:mm"));
}

// The first bell of a shift (and of the weekend table) carries no announcement
// while the switch is on: the pupils are still lining up.
bool isFirstBell(int cell) {
    return timetable::isWeekdayFirstBell(cell) || cell == 36;
}
} // namespace

BellScheduler::BellScheduler(const StoredValues& values, Playback& playback, const Clock& clock)
    : values_(values), playback_(playback), clock_(clock) {}

int BellScheduler::msToNextMinute(const QTime& time) {
    return 60000 - (time.second() * 1000 + time.msec());
}

int BellScheduler::pass(int table) {
    const QDateTime now = clock_.now();
    const qint64 minute = minuteOf(now);
    qint64& last = lastPassed_[table];

    if (last >= 0 && minute < last - kLateMinutes) {
        eventlog::info(QStringLiteral("Saat %1 dakika geri alındı; zil saatleri yeniden çalar")
                           .arg(last - minute));
        rung_[table].clear();
        last = -1;
    }
    // Minutes this pass stands for: the current one, and those since the
    // last pass that are still within the late window.
    qint64 from = minute;
    if (last >= 0 && minute > last + 1) {
        from = std::max(last + 1, minute - kLateMinutes);
        logMissed(table, last + 1, from - 1);
    }
    last = std::max(last, minute);

    for (qint64 m = from; m <= minute; ++m) {
        if (holidayAt(m))
            continue;
        if (!rung_[table].insert(m).second)
            continue; // rung already: the clock went back or the timer came early
        for (int cell : cellsAt(table, m))
            ring(cell);
    }
    // Made ready a minute ahead, the first bell after a quiet spell starts as
    // soon as any other. Of cells sharing a minute the last one is heard.
    if (ringsAt(table, minute + 1))
        prepareMelodyOf(cellsAt(table, minute + 1).last());
    // Keep a day's worth; older minutes can no longer come round by a step.
    while (!rung_[table].empty() && *rung_[table].begin() < minute - 24 * 60)
        rung_[table].erase(rung_[table].begin());
    return msToNextMinute(now.time());
}

QList<int> BellScheduler::cellsAt(int table, qint64 minute) const {
    const QString hhmm = hhmmOf(minute);
    const int first = table * timetable::kCellsPerTable;
    QList<int> cells;
    for (int cell = first; cell < first + timetable::kCellsPerTable; ++cell) {
        if (values_.timex[cell] == hhmm)
            cells << cell;
    }
    return cells;
}

bool BellScheduler::isHoliday(qint64 minute) const {
    return holidays_ && holidays_->contains(dayOf(minute));
}

bool BellScheduler::ringsAt(int table, qint64 minute) const {
    return !isHoliday(minute) && !cellsAt(table, minute).isEmpty();
}

bool BellScheduler::holidayAt(qint64 minute) {
    if (!isHoliday(minute))
        return false;
    const QDate day = dayOf(minute);
    if (holidayLogged_ != day) {
        holidayLogged_ = day;
        eventlog::info(QStringLiteral("Bugün tatil (%1): zil ve teneffüs müziği yok")
                           .arg(day.toString(QStringLiteral("yyyy-MM-dd"))));
    }
    return true;
}

void BellScheduler::logMissed(int table, qint64 firstMinute, qint64 lastMinute) const {
    for (qint64 m = std::max(firstMinute, lastMinute - 24 * 60 + 1); m <= lastMinute; ++m) {
        if (isHoliday(m))
            continue;
        for (int cell : cellsAt(table, m))
            eventlog::warning(
                QStringLiteral("%1 %2 çalmadı: zamanı geçmişti (uyku ya da saat ayarı)")
                    .arg(bells::scheduledText(timetable::kindOf(cell)), hhmmOf(m)));
    }
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

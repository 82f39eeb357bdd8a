#include "core/BellCalendar.h"

#include "core/CeremonyPlan.h"
#include "core/DayPlan.h"
#include "core/StoredValues.h"
#include "core/Timetable.h"

#include <QStringList>

#include <array>

namespace bellcalendar {

std::optional<int> minuteOfDay(const QString& cellText) {
    // Every pass reads all the cells several times: the usual "08:15" and an
    // empty cell are read by hand, for Qt's format parser costs most of an
    // idle hour's CPU.
    const auto digit = [&](int i) { return cellText.at(i).unicode() - u'0'; };
    const auto isDigit = [&](int i) { return digit(i) >= 0 && digit(i) <= 9; };
    if (cellText.size() == 5 && cellText.at(2) == u':' && isDigit(0) && isDigit(1) && isDigit(3) &&
        isDigit(4)) {
        const int hour = digit(0) * 10 + digit(1);
        const int minute = digit(3) * 10 + digit(4);
        if (hour < 24 && minute < 60)
            return hour * 60 + minute;
        return std::nullopt;
    }
    // Most cells stand empty ("__:__"); a blank is never a digit.
    if (cellText.contains(u'_'))
        return std::nullopt;
    const QTime time = QTime::fromString(cellText, QStringLiteral("HH:mm"));
    if (!time.isValid())
        return std::nullopt; // unfinished cells never ring
    return time.hour() * 60 + time.minute();
}

std::optional<std::pair<int, int>> span(const StoredValues& values, int table, int until) {
    if (table < 0)
        return std::nullopt;
    std::optional<std::pair<int, int>> result;
    const int begin = table * timetable::kCellsPerTable;
    for (int cell = begin; cell < begin + timetable::kCellsPerTable; ++cell) {
        const auto minute = minuteOfDay(values.timex[cell]);
        if (!minute || *minute >= until)
            continue;
        if (!result)
            result = std::make_pair(*minute, *minute);
        result->first = std::min(result->first, *minute);
        result->second = std::max(result->second, *minute);
    }
    return result;
}

namespace {
// The bells of the date and the ceremonies held by the program: the PC is
// woken and kept awake for both.
std::optional<std::pair<int, int>> daySpan(const StoredValues& values, const DayPlan& plan,
                                           const QDate& date) {
    auto result = span(values, plan.tableFor(date), plan.bellsUntil(date));
    for (const ceremonyplan::Due& due : ceremonyplan::on(values, plan, date)) {
        if (!result)
            result = std::make_pair(due.minute, due.minute);
        result->first = std::min(result->first, due.minute);
        result->second = std::max(result->second, due.minute);
    }
    return result;
}
} // namespace

std::optional<Bell> next(const StoredValues& values, const DayPlan& plan, const QDateTime& after) {
    const QDate today = after.date();
    const int nowMinute = after.time().hour() * 60 + after.time().minute();
    for (int offset = 0; offset < kDaysAhead; ++offset) {
        const QDate date = today.addDays(offset);
        const int table = plan.tableFor(date);
        if (table < 0)
            continue;
        const int until = plan.bellsUntil(date);
        std::optional<Bell> best;
        int bestMinute = 24 * 60;
        const int begin = table * timetable::kCellsPerTable;
        for (int cell = begin; cell < begin + timetable::kCellsPerTable; ++cell) {
            const auto minute = minuteOfDay(values.timex[cell]);
            if (!minute || (offset == 0 && *minute <= nowMinute) || *minute > bestMinute ||
                *minute >= until)
                continue;
            bestMinute = *minute; // equal minutes: the later cell is the one heard
            best = Bell{QDateTime(date, QTime(*minute / 60, *minute % 60)), cell};
        }
        if (best)
            return best;
    }
    return std::nullopt;
}

std::optional<QDateTime> wakeFor(const StoredValues& values, const DayPlan& plan,
                                 const QDateTime& now) {
    for (int offset = 0; offset < kDaysAhead; ++offset) {
        const QDate date = now.date().addDays(offset);
        const auto bells = daySpan(values, plan, date);
        if (!bells)
            continue;
        const QDateTime first(date, QTime(bells->first / 60, bells->first % 60));
        if (first <= now)
            continue;
        const QDateTime wake = first.addSecs(-60 * kWakeLeadMinutes);
        return wake > now ? wake : first;
    }
    return std::nullopt;
}

bool aroundBells(const StoredValues& values, const DayPlan& plan, const QDateTime& now,
                 int leadMinutes) {
    // The lead is shorter than a day: only today's and tomorrow's bells can reach now.
    for (const QDate& date : {now.date(), now.date().addDays(1)}) {
        const auto bells = daySpan(values, plan, date);
        if (!bells)
            continue;
        const QDateTime from =
            QDateTime(date, QTime(bells->first / 60, bells->first % 60)).addSecs(-60 * leadMinutes);
        const QDateTime to =
            QDateTime(date, QTime(bells->second / 60, bells->second % 60)).addSecs(60);
        if (now >= from && now < to)
            return true;
    }
    return false;
}

QString dayName(const QDate& date) {
    static const std::array<const char*, 7> names{"Pazartesi", "Salı",      "Çarşamba", "Perşembe",
                                                  "Cuma",      "Cumartesi", "Pazar"};
    return date.isValid() ? QString::fromUtf8(names[date.dayOfWeek() - 1]) : QString();
}

namespace {
QString kindName(int cell) {
    switch (timetable::kindOf(cell)) {
    case timetable::StudentEntry:
        return QStringLiteral("Öğrenci girişi");
    case timetable::TeacherEntry:
        return QStringLiteral("Öğretmen girişi");
    default:
        return QStringLiteral("Çıkış");
    }
}

// The Turkish locative after a number as it is read aloud: the ending
// follows the last word ("on" -> 'da, "beş" -> 'te, "kırk" -> 'ta).
QString locativeAfter(int number) {
    static const std::array<const char*, 10> ones{"'da", "'de", "'de", "'te", "'te",
                                                  "'te", "'da", "'de", "'de", "'da"};
    static const std::array<const char*, 6> tens{"'da", "'da", "'de", "'da", "'ta", "'de"};
    if (number % 10 != 0)
        return QString::fromLatin1(ones[number % 10]);
    if (number == 0)
        return QString::fromLatin1(ones[0]); // "sıfır"
    return QString::fromLatin1(tens[number / 10]);
}
} // namespace

QString atTime(const QTime& time) {
    const int spoken = time.minute() != 0 ? time.minute() : time.hour();
    return time.toString(QStringLiteral("HH:mm")) + locativeAfter(spoken);
}

QString nextBellText(const std::optional<Bell>& bell, const QDate& today) {
    if (!bell)
        return QStringLiteral("Sonraki zil yok");
    const QString day = dayWords(bell->at.date(), today);
    const QString when =
        (day.isEmpty() ? day : day + QLatin1Char(' ')) + bell->at.toString(QStringLiteral("HH:mm"));
    return QStringLiteral("Sonraki zil %1 (%2)").arg(when, kindName(bell->cell));
}

QString dayWords(const QDate& date, const QDate& today) {
    if (date == today)
        return {};
    if (date == today.addDays(1))
        return QStringLiteral("yarın");
    if (date > today && date < today.addDays(7))
        return dayName(date);
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace bellcalendar

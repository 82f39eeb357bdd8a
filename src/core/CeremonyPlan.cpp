#include "core/CeremonyPlan.h"

#include "core/BellCalendar.h"
#include "core/DayPlan.h"
#include "core/StoredValues.h"
#include "core/Timetable.h"

#include <algorithm>
#include <optional>

namespace ceremonyplan {

namespace {
bool remembranceDay(const StoredValues& values, const DayPlan& plan, const QDate& date) {
    return values.OnKasim == QLatin1String("1") && date.month() == 11 && date.day() == 10 &&
           isSchoolDay(plan, date);
}

QDate mondayOf(const QDate& date) {
    return date.addDays(1 - date.dayOfWeek());
}
} // namespace

bool isSchoolDay(const DayPlan& plan, const QDate& date) {
    const int table = plan.tableFor(date);
    return table == timetable::kWeekdayTable ||
           (table == timetable::kWeekendTable && date.dayOfWeek() <= 5);
}

QDate firstSchoolDayOfWeek(const DayPlan& plan, const QDate& date) {
    const QDate monday = mondayOf(date);
    for (int d = 0; d < 7; ++d) {
        if (isSchoolDay(plan, monday.addDays(d)))
            return monday.addDays(d);
    }
    return {};
}

QDate lastSchoolDayOfWeek(const DayPlan& plan, const QDate& date) {
    const QDate monday = mondayOf(date);
    for (int d = 6; d >= 0; --d) {
        if (isSchoolDay(plan, monday.addDays(d)))
            return monday.addDays(d);
    }
    return {};
}

namespace {
std::optional<int> flagMinute(const StoredValues& values, const DayPlan& plan, const QDate& date,
                              const QString& time) {
    const auto minute = bellcalendar::minuteOfDay(time);
    const int until = plan.bellsUntil(date);
    if (!minute || *minute < until)
        return minute;
    const auto morning = bellcalendar::span(values, plan.tableFor(date), until);
    return morning ? std::optional<int>(morning->second) : std::nullopt;
}
} // namespace

std::vector<Due> on(const StoredValues& values, const DayPlan& plan, const QDate& date) {
    std::vector<Due> due;
    if (remembranceDay(values, plan, date)) {
        due.push_back({Step::Remembrance, kRemembranceMinute});
        due.push_back({Step::RemembranceAnthem, kRemembranceAnthemMinute});
    }
    if (values.BayrakToreni == QLatin1String("1")) {
        std::optional<int> opening;
        if (firstSchoolDayOfWeek(plan, date) == date) {
            opening = flagMinute(values, plan, date, values.TorenSaati[0]);
            if (opening)
                due.push_back({Step::WeekOpening, *opening});
        }
        if (lastSchoolDayOfWeek(plan, date) == date) {
            // One anthem for both when a one-day week has them at one minute.
            const auto closing = flagMinute(values, plan, date, values.TorenSaati[1]);
            if (closing && closing != opening)
                due.push_back({Step::WeekClosing, *closing});
        }
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const Due& a, const Due& b) { return a.minute < b.minute; });
    return due;
}

std::vector<Step> at(const StoredValues& values, const DayPlan& plan, const QDate& date,
                     int minute) {
    std::vector<Step> steps;
    for (const Due& due : on(values, plan, date)) {
        if (due.minute == minute)
            steps.push_back(due.step);
    }
    return steps;
}

bool holdsBells(const StoredValues& values, const DayPlan& plan, const QDate& date, int minute) {
    return minute >= kRemembranceMinute && minute <= kRemembranceAnthemMinute &&
           remembranceDay(values, plan, date);
}

QString nameOf(Step step) {
    switch (step) {
    case Step::Remembrance:
        return QStringLiteral("10 Kasım anması (siren ve saygı duruşu)");
    case Step::RemembranceAnthem:
        return QStringLiteral("10 Kasım anması (İstiklal Marşı)");
    case Step::WeekOpening:
        return QStringLiteral("Bayrak töreni (haftanın ilk okul günü)");
    case Step::WeekClosing:
        break;
    }
    return QStringLiteral("Bayrak töreni (haftanın son okul günü)");
}

} // namespace ceremonyplan

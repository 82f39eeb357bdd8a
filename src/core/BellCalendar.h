#pragma once

#include <QDateTime>

#include <optional>

class DayPlan;
struct StoredValues;

// Where the bells of the timetable fall on the calendar, following the
// table each date rings.
namespace bellcalendar {

// How far ahead a bell is looked for; a plan with nothing in a year rings nothing.
inline constexpr int kDaysAhead = 400;
// The PC is woken this long before the first bell of a school day.
inline constexpr int kWakeLeadMinutes = 5;

struct Bell {
    QDateTime at;
    int cell = -1; // the cell heard at that minute (the highest of several)
};

// Minute of the day of a complete "HH:MM" cell text.
std::optional<int> minuteOfDay(const QString& cellText);

// First and last bell minute of a table before the minute `until` (an
// eve's afternoon is off); nothing when it has no bell.
std::optional<std::pair<int, int>> span(const StoredValues& values, int table, int until = 24 * 60);

// The first bell in a minute after the one of `after`.
std::optional<Bell> next(const StoredValues& values, const DayPlan& plan, const QDateTime& after);

// When to wake the PC for the next first bell of a school day still ahead:
// kWakeLeadMinutes before it, or at the bell itself when that moment has
// passed (a first bell at 00:02 seen at 23:58).
std::optional<QDateTime> wakeFor(const StoredValues& values, const DayPlan& plan,
                                 const QDateTime& now);

// Whether `now` lies from `leadMinutes` before the first bell of a school
// day to the end of its last bell's minute; the lead reaches back over
// midnight into the day before.
bool aroundBells(const StoredValues& values, const DayPlan& plan, const QDateTime& now,
                 int leadMinutes);

// "Sonraki zil 09:20 (Öğrenci girişi)", "Sonraki zil yarın 08:15 (...)",
// "Sonraki zil Pazartesi 08:15 (...)", "Sonraki zil 21.12.2026 08:15 (...)",
// "Sonraki zil yok".
QString nextBellText(const std::optional<Bell>& bell, const QDate& today);

// A date as it is named from today, in the middle of a sentence: empty for
// today, "yarın", a weekday's name within the coming week, else "21.12.2026".
QString dayWords(const QDate& date, const QDate& today);

// "08:10'da", "08:15'te": the time with its locative ending, as it is read.
QString atTime(const QTime& time);

// "Pazartesi" for a date.
QString dayName(const QDate& date);

} // namespace bellcalendar

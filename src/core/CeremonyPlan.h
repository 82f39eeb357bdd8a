#pragma once

#include <QDate>
#include <QString>

#include <vector>

class DayPlan;
struct StoredValues;

// The ceremonies the program holds by itself, on the day plan's school days.
// On 10 Kasım the whole country stops at 09:05: the siren, two minutes of
// silence, the anthem at 09:07; no bell of 09:05 to 09:07 cuts into it.
// With the flag ceremony switched on, the anthem plays at the school's times
// on the week's first and last school day, after a bell of the same minute.
namespace ceremonyplan {

enum class Step { Remembrance, RemembranceAnthem, WeekOpening, WeekClosing };

inline constexpr int kRemembranceMinute = 9 * 60 + 5;
inline constexpr int kRemembranceAnthemMinute = 9 * 60 + 7;

struct Due {
    Step step;
    int minute; // of the day
};

// A day the school is open: one that rings the weekday table, or a weekday
// given the weekend table (an exam or a short day). Weekend courses are not.
bool isSchoolDay(const DayPlan& plan, const QDate& date);
// The first and last school day of the date's week (Monday to Sunday), if any.
QDate firstSchoolDayOfWeek(const DayPlan& plan, const QDate& date);
QDate lastSchoolDayOfWeek(const DayPlan& plan, const QDate& date);

// The ceremonies of the date, in time order. On an eve a flag ceremony due
// in the afternoon off is held with the morning's last bell instead.
std::vector<Due> on(const StoredValues& values, const DayPlan& plan, const QDate& date);
// Those of this minute of the day.
std::vector<Step> at(const StoredValues& values, const DayPlan& plan, const QDate& date,
                     int minute);
// Bells of this minute are not rung: 10 Kasım's remembrance holds the loudspeakers.
bool holdsBells(const StoredValues& values, const DayPlan& plan, const QDate& date, int minute);

// "10 Kasım anması", "Bayrak töreni (haftanın ilk okul günü)".
QString nameOf(Step step);

} // namespace ceremonyplan

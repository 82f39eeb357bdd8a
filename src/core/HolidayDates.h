#pragma once

#include <QDate>
#include <QString>

#include <optional>
#include <set>
#include <utility>
#include <vector>

// The stored text of the days without bells: ISO days and ranges separated
// by commas, "2027-04-23,2027-06-25..2027-09-06".
namespace holidays {

using DateSet = std::set<QDate>;
using YearSet = std::set<int>;
using Range = std::pair<QDate, QDate>;

// A hand-edited file must not make the program fill its memory with days.
inline constexpr int kMaxDays = 20000;

// Nothing for a text that is not such a list (an empty text is no day).
std::optional<DateSet> parseDates(const QString& text);
QString formatDates(const DateSet& days);

std::optional<YearSet> parseYears(const QString& text);
QString formatYears(const YearSet& years);

// Consecutive days joined, in order.
std::vector<Range> ranges(const DateSet& days);

// Turkey's national holidays on fixed dates, in the year's order.
std::vector<QDate> nationalHolidays(int year);
bool isNationalHoliday(const QDate& day);
// "23 Nisan Ulusal Egemenlik ve Çocuk Bayramı"; empty for other days.
QString nationalHolidayName(const QDate& day);

} // namespace holidays

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

// Turkey's official holidays come in two calendars: the national days on
// fixed dates, and Ramazan and Kurban Bayramı, which move every year. Each
// is taken over by the user year by year on its own.
enum class Official { Fixed, Bayram };
inline constexpr Official kOfficialKinds[] = {Official::Fixed, Official::Bayram};

// The official holidays of that kind in the year, in order.
std::vector<QDate> officialDays(int year, Official kind);
bool isOfficial(const QDate& day, Official kind);
// Either kind.
bool isNationalHoliday(const QDate& day);
// "Cumhuriyet Bayramı", "Kurban Bayramı 2. gün", both joined by "; " when
// they meet on one day; empty for other days.
QString nationalHolidayName(const QDate& day);
// "Kurban Bayramı", the feast a holiday or an eve belongs to (the first of two).
QString feastName(const QDate& day);

// The minute of the day from which an eve (arife) is off.
inline constexpr int kHalfDayFromMinute = 13 * 60;
// "Kurban Bayramı arifesi" for the eve of a bayram or 28 Ekim; empty otherwise.
QString halfDayName(const QDate& day);

} // namespace holidays

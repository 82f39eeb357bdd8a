#pragma once

// The school year of tst_year as the school plans it: its own timetable,
// Turkey's national days and bayrams of 2026-27 written out with the eves
// whose afternoon is off, the marked breaks, an exam week on the weekend
// table and the weekday choices of each term, 10 Kasım's remembrance and the
// week's flag ceremonies; and where the bells and ceremonies of that plan fall. Times are "wall
// seconds": the day's Julian number times 86400 plus the seconds into the day, on the program's
// clock.
#include "core/DayPlan.h"
#include "core/Holidays.h"
#include "core/SettingsTable.h"
#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <array>
#include <malloc.h>
#include <optional>
#include <tuple>
#include <vector>

namespace year {

inline const QDate kFirstDay(2026, 9, 14);
inline const QDate kLastDay(2027, 6, 18);
inline constexpr int kIdleSuspendMinutes = 20; // GNOME on mains power
inline constexpr int kLateSecs = 120;          // a bell rings late only within 2 minutes

// Turkey's national days and bayrams inside the school year.
inline const std::vector<QDate> kNationalDays{
    QDate(2026, 10, 29), // Cumhuriyet Bayramı
    QDate(2027, 1, 1),   // Yılbaşı
    QDate(2027, 3, 9),   // Ramazan Bayramı, Tuesday to Thursday
    QDate(2027, 3, 10),  //
    QDate(2027, 3, 11),  //
    QDate(2027, 4, 23),  // Ulusal Egemenlik ve Çocuk Bayramı
    QDate(2027, 5, 1),   // Emek ve Dayanışma Günü
    QDate(2027, 5, 16),  // Kurban Bayramı, Sunday to Wednesday: a Monday holiday
    QDate(2027, 5, 17),  //
    QDate(2027, 5, 18),  //
    QDate(2027, 5, 19),  // Atatürk'ü Anma, Gençlik ve Spor Bayramı, Kurban Bayramı's last day
};
// The eves: no bells from 13:00 on, unless the day has a table of its own.
inline const std::vector<QDate> kHalfDays{
    QDate(2026, 10, 28), // inside the exam week: its table rings the whole day
    QDate(2027, 3, 8),   // a Monday: the week still opens that morning
    QDate(2027, 5, 15),  // a Saturday
};
inline constexpr int kHalfDayFromMinute = 13 * 60;
// The flag ceremony's times on the week's first and last school day.
inline constexpr const char* kOpeningTime = "08:20";
inline constexpr const char* kClosingTime = "15:05";
// Bell kinds 0 to 2; the ceremonies' sounds after them.
inline constexpr int kAnthem = 3, kSiren = 4;
// Marked breaks: the winter break, and Ramazan Bayramı marked by a school
// that had it by hand before the program knew it.
inline const std::vector<std::pair<QDate, QDate>> kBreaks{
    {QDate(2027, 1, 25), QDate(2027, 2, 5)},
    {QDate(2027, 3, 9), QDate(2027, 3, 11)},
    {kLastDay.addDays(1), QDate(2027, 9, 12)},
};
// An exam week on the weekend table, over Cumhuriyet Bayramı.
inline const QDate kExamFrom(2026, 10, 26), kExamTo(2026, 10, 30);

// The timetables: student entry, teacher entry, exit per lesson.
inline const std::vector<std::array<const char*, 3>> kWeekdayRows{
    {"08:15", "08:30", "09:10"}, {"09:20", "09:25", "10:05"}, {"10:20", "10:25", "11:05"},
    {"11:15", "11:20", "12:00"}, {"13:20", "13:25", "14:05"}, {"14:15", "14:20", "15:00"},
};
// Starts earlier than the weekday table: a wake-up for the wrong table is late.
inline const std::vector<std::array<const char*, 3>> kWeekendRows{
    {"08:00", "08:05", "08:45"},
    {"08:55", "09:00", "09:40"},
    {"09:50", "09:55", "10:35"},
    {"10:45", "10:50", "11:30"},
};

// Weekday choices (Monday first; 0 weekday table, 1 weekend table, 2 none),
// each in force from its date on, set the day before once its bells are over.
struct Term {
    QDate from;
    std::array<int, 7> choice;
    QDateTime setAt; // when the school changes them, while the PC is up
};
inline const std::vector<Term> kTerms{
    // Saturday bells on the weekend table, Sunday none.
    {kFirstDay, {0, 0, 0, 0, 0, 1, 2}, {}},
    // The whole weekend on "Zil yok".
    {QDate(2026, 11, 15), {0, 0, 0, 0, 0, 2, 2}, QDateTime(QDate(2026, 11, 14), QTime(11, 40))},
    // The spring term: Friday on the weekend table.
    {QDate(2027, 1, 23), {0, 0, 0, 0, 1, 2, 2}, QDateTime(QDate(2027, 1, 22), QTime(15, 5))},
};

// How long each sound plays, by its folder.
inline int secondsOf(const QString& file) {
    if (file.contains(QLatin1String("/Melodiler/")))
        return 40;
    if (file.contains(QLatin1String("/Anonslar/")))
        return 50;
    if (file.contains(QLatin1String("/Müzik/")))
        return 180;
    return 60;
}

inline qint64 wallSecs(const QDateTime& t) {
    return t.date().toJulianDay() * 86400 + t.time().msecsSinceStartOfDay() / 1000;
}
inline QDate dateOf(qint64 wall) {
    return QDate::fromJulianDay(wall / 86400);
}
inline QString wallText(qint64 wall) {
    return dateOf(wall).toString(Qt::ISODate) +
           QTime(0, 0).addSecs(int(wall % 86400)).toString(QStringLiteral(" HH:mm:ss"));
}
inline double heapInUseMb() {
    return mallinfo2().uordblks / (1024.0 * 1024.0);
}

struct Bell {
    qint64 at; // wall seconds
    int kind;
};

// The test's own calendar.
inline int tableOn(const QDate& date) {
    for (const auto& [from, to] : kBreaks) {
        if (date >= from && date <= to)
            return -1;
    }
    if (std::find(kNationalDays.begin(), kNationalDays.end(), date) != kNationalDays.end())
        return -1; // a national day inside an exam week stays a holiday
    if (date >= kExamFrom && date <= kExamTo)
        return 1;
    const Term* term = &kTerms.front();
    for (const Term& t : kTerms) {
        if (date >= t.from)
            term = &t;
    }
    const int choice = term->choice[date.dayOfWeek() - 1];
    return choice == 2 ? -1 : choice;
}

inline bool isHalfDay(const QDate& date) {
    const bool given = date >= kExamFrom && date <= kExamTo; // a table of its own
    return !given && std::find(kHalfDays.begin(), kHalfDays.end(), date) != kHalfDays.end();
}

// Open for school: the weekday table, or a weekday on the weekend table.
inline bool isSchoolDay(const QDate& date) {
    const int table = tableOn(date);
    return table == 0 || (table == 1 && date.dayOfWeek() <= 5);
}

inline qint64 wallOf(const QDate& date, int minute) {
    return date.toJulianDay() * 86400 + minute * 60;
}
inline int minuteOf(const char* hhmm) {
    return QTime::fromString(QString::fromLatin1(hhmm), QStringLiteral("HH:mm"))
               .msecsSinceStartOfDay() /
           60000;
}

// The timetable's bells of the day, then the ceremonies, in time order.
inline std::vector<Bell> bellsOn(const QDate& date) {
    std::vector<Bell> bells;
    const int table = tableOn(date);
    if (table < 0)
        return bells;
    const int until = isHalfDay(date) ? kHalfDayFromMinute : 24 * 60;
    int lastBell = -1;
    for (const auto& row : table == 0 ? kWeekdayRows : kWeekendRows) {
        for (int kind = 0; kind < 3; ++kind) {
            const int minute = minuteOf(row[kind]);
            if (minute >= until)
                continue;
            lastBell = std::max(lastBell, minute);
            bells.push_back({wallOf(date, minute), kind});
        }
    }
    if (isSchoolDay(date)) {
        if (date.month() == 11 && date.day() == 10) {
            bells.push_back({wallOf(date, 9 * 60 + 5), kSiren});
            bells.push_back({wallOf(date, 9 * 60 + 7), kAnthem});
        }
        const QDate monday = date.addDays(1 - date.dayOfWeek());
        QDate first, last;
        for (int d = 0; d < 7; ++d) {
            if (isSchoolDay(monday.addDays(d))) {
                last = monday.addDays(d);
                if (!first.isValid())
                    first = last;
            }
        }
        // On an eve the week closes with the morning's last bell.
        const auto held = [&](int minute) { return minute < until ? minute : lastBell; };
        if (date == first)
            bells.push_back({wallOf(date, held(minuteOf(kOpeningTime))), kAnthem});
        if (date == last && held(minuteOf(kClosingTime)) >= 0)
            bells.push_back({wallOf(date, held(minuteOf(kClosingTime))), kAnthem});
    }
    std::sort(bells.begin(), bells.end(), [](const Bell& a, const Bell& b) { return a.at < b.at; });
    return bells;
}

inline std::optional<Bell> nextBellAfter(qint64 wall) {
    for (QDate d = dateOf(wall); d <= kLastDay.addDays(30); d = d.addDays(1)) {
        for (const Bell& bell : bellsOn(d)) {
            if (bell.at > wall)
                return bell;
        }
    }
    return std::nullopt;
}

// What happened to a bell: the wall time (shown clock) it rang or was
// missed at counts, with its own minute.
enum Outcome { OnTime, Late, Silent, MissedLogged, NotRunning };
inline const char* const kOutcomeNames[] = {"on time", "late", "silent (mixer gone)",
                                            "missed and logged", "missed (program not running)"};
using Event = std::tuple<qint64, int, int>; // bell wall time, kind, outcome

// The school's timetable and calendar, as the administrator sets them.
inline void writeSchoolSettings(SettingsStore& store) {
    for (int table = 0; table < 2; ++table) {
        const auto& rows = table == 0 ? kWeekdayRows : kWeekendRows;
        for (int row = 0; row < 12; ++row) {
            for (int kind = 0; kind < 3; ++kind) {
                const int cell = 36 * table + 3 * row + kind;
                store.save(settings::timex(cell), row < int(rows.size())
                                                      ? QString::fromLatin1(rows[row][kind])
                                                      : QStringLiteral("__:__"));
            }
            // Music in the breaks but the lunch break and after the day's last bell.
            const bool music = row + 1 < int(rows.size()) && !(table == 0 && row == 3);
            store.save(settings::musicT(12 * table + row), music ? "1" : "0");
        }
    }
    // Announcements after the student entry and exit bells: the day's last
    // sound (exit bell and its announcement) lasts past the minute after it.
    store.save(settings::anons(0), QStringLiteral("1"));
    store.save(settings::anons(1), QStringLiteral("0"));
    store.save(settings::anons(2), QStringLiteral("1"));
    store.save(settings::masterVolume(), QStringLiteral("2"));
    store.save(settings::bayrakToreni(), QStringLiteral("1"));
    store.save(settings::torenSaati(0), QString::fromLatin1(kOpeningTime));
    store.save(settings::torenSaati(1), QString::fromLatin1(kClosingTime));
    Holidays holidays(store);
    DayPlan plan(store, holidays);
    for (const auto& [from, to] : kBreaks)
        plan.setDates(from, to, DayPlan::NoBells);
    plan.setDates(kExamFrom, kExamTo, DayPlan::WeekendTable);
    for (int day = 1; day <= 7; ++day)
        plan.setWeekdayChoice(day, DayPlan::Choice(kTerms.front().choice[day - 1]));
}

} // namespace year

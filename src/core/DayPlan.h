#pragma once

#include "core/HolidayDates.h"

#include <QObject>

#include <array>
#include <optional>

class Holidays;
class SettingsStore;

// Which timetable rings on a date. Each weekday has its choice (by default
// Monday to Friday the weekday table, Saturday and Sunday the weekend
// table); a date can be given the weekday table, the weekend table or no
// bells (a holiday) whatever day it falls on. A national holiday inside a
// longer range keeps its holiday (an exam week over 29 Ekim stays silent on
// it); chosen on its own, it takes the table like any date.
class DayPlan : public QObject {
    Q_OBJECT
public:
    enum Choice { WeekdayTable = 0, WeekendTable = 1, NoBells = 2 };

    DayPlan(SettingsStore& store, Holidays& holidays, QObject* parent = nullptr);

    // Reads the stored choices again (after an import).
    void load();

    // 0 weekday table, 1 weekend table, -1 no bells.
    int tableFor(const QDate& date) const;
    Choice choiceFor(const QDate& date) const;
    Choice weekdayChoice(int weekday) const { return weekdays_.at(weekday - 1); }
    // The date's own choice, if it has one (a holiday is NoBells).
    std::optional<Choice> dateChoice(const QDate& date) const;
    // The eve whose afternoon is off on this date ("Kurban Bayramı
    // arifesi"): empty on other days, on a holiday, and on an eve the school
    // gave a table of its own, whose bells then all ring.
    QString halfDayOn(const QDate& date) const;
    // The minute of the day from which no bell rings on the date: the
    // afternoon's start on such an eve, else the day's end.
    int bellsUntil(const QDate& date) const;
    // Dates given a table, of these years, in order.
    holidays::DateSet datesWith(Choice table, int firstYear, int lastYear) const;

    void setWeekdayChoice(int weekday, Choice choice);
    // Gives the dates of the range this choice. A table takes over from the
    // school's own holidays in the range, not from a national holiday still
    // marked inside a longer range.
    void setDates(const QDate& from, const QDate& to, Choice choice);
    // Each date of the range goes back to what it was: a date given a table
    // loses the table (a national holiday under it is one again); one
    // without loses its holiday, a national one only when chosen alone.
    void clearDates(const QDate& from, const QDate& to);

    const Holidays& holidays() const { return holidays_; }

    // "Hafta içi saatleri", "Hafta sonu saatleri", "Zil yok".
    static QString choiceName(Choice choice);

signals:
    void changed();

private:
    void save();
    // Whether the range's dates have a table; removes them from both.
    bool takeTables(const QDate& from, const QDate& to);

    SettingsStore& store_;
    Holidays& holidays_;
    std::array<Choice, 7> weekdays_{};
    holidays::DateSet tables_[2]; // dates given the weekday or the weekend table
};

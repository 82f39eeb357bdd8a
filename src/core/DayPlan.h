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
// bells (a holiday) whatever day it falls on. A date given a table rings it
// even when it is a national holiday.
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
    // Dates given a table, of these years, in order.
    holidays::DateSet datesWith(Choice table, int firstYear, int lastYear) const;

    void setWeekdayChoice(int weekday, Choice choice);
    // Gives every date of the range this choice; it takes over from a holiday.
    void setDates(const QDate& from, const QDate& to, Choice choice);
    // The range goes back to its weekday's choice.
    void clearDates(const QDate& from, const QDate& to);

    const Holidays& holidays() const { return holidays_; }

    // "Hafta içi saatleri", "Hafta sonu saatleri", "Zil yok".
    static QString choiceName(Choice choice);

signals:
    void changed();

private:
    void save();

    SettingsStore& store_;
    Holidays& holidays_;
    std::array<Choice, 7> weekdays_{};
    holidays::DateSet tables_[2]; // dates given the weekday or the weekend table
};

#pragma once

#include <QDate>
#include <QDialog>

#include "core/DayPlan.h"

#include <array>

class Clock;
class Holidays;
class QCheckBox;
class QComboBox;
class SettingsStore;
class TimeCell;
struct StoredValues;
class QCalendarWidget;
class QDateEdit;
class QListWidget;

// "Tatil Günleri": a month calendar on which the user marks the days without
// bells, single days or ranges (a click picks a day, a click with Shift held
// ends a range there), or gives them the weekday or the weekend table (an
// exam or a short day); the table of each day of the week; the flag
// ceremony of the school week; and a list of the marked days and the eves
// of this year and the next.
class HolidaysDialog : public QDialog {
    Q_OBJECT
public:
    HolidaysDialog(DayPlan& plan, Holidays& holidays, const Clock& clock, StoredValues& values,
                   SettingsStore& store, QWidget* parent = nullptr);

    QCalendarWidget* calendar() const { return calendar_; }
    // The choice of weekday 1 (Monday) to 7, and the one the range button applies.
    QComboBox* weekdayChoice(int weekday) const { return weekdays_.at(weekday - 1); }
    QComboBox* rangeChoice() const { return rangeChoice_; }
    QCheckBox* flagCeremonySwitch() const { return flagCeremony_; }
    // The ceremony's time on the week's first (0) and last (1) school day.
    TimeCell* ceremonyTime(int day) const { return ceremonyTimes_.at(day); }
    // The range the buttons act on.
    void choose(const QDate& from, const QDate& to);

private:
    void dayClicked(const QDate& day);
    void showMarks();
    void markChosen();
    void applyChosen();
    void unmarkChosen();
    void clearPast();
    QWidget* flagCeremonyGroup();
    void ceremonyTimeChanged(int day);

    DayPlan& plan_;
    Holidays& holidays_;
    const Clock& clock_;
    StoredValues& values_;
    SettingsStore& store_;
    QCalendarWidget* calendar_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QListWidget* list_ = nullptr;
    QComboBox* rangeChoice_ = nullptr;
    std::array<QComboBox*, 7> weekdays_{};
    QCheckBox* flagCeremony_ = nullptr;
    std::array<TimeCell*, 2> ceremonyTimes_{};
};

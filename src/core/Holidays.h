#pragma once

#include "core/HolidayDates.h"

#include <QObject>

#include <array>

class SettingsStore;

// The days without bells. Turkey's official holidays (the fixed national
// days and the bayrams) count as marked in every year until the user
// changes that year's marks; then that year's remaining official days are
// written out like any other mark, so each of them can be removed. The two
// kinds keep their own years: a year taken over before the program knew the
// bayrams still has them. Every change is written through at once.
class Holidays : public QObject {
    Q_OBJECT
public:
    explicit Holidays(SettingsStore& store, QObject* parent = nullptr);

    // Reads the stored marks again (after an import). A stored text that
    // is not a list of days counts as no marks and is left in the file.
    void load();

    bool contains(const QDate& day) const;
    // Marked days of these years, national ones included, in order.
    holidays::DateSet marked(int firstYear, int lastYear) const;

    void mark(const QDate& from, const QDate& to);
    // With keepNational the national days of the range stay as they are.
    void unmark(const QDate& from, const QDate& to, bool keepNational = false);
    // Removes every mark before `today`; returns how many days went.
    int clearBefore(const QDate& today);

signals:
    void changed();

private:
    void takeOverYears(const QDate& from, const QDate& to);
    void save();

    SettingsStore& store_;
    holidays::DateSet days_;
    // Per official kind, the years whose days stand in days_.
    std::array<holidays::YearSet, 2> takenOver_;
};

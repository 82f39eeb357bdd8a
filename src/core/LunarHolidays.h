#pragma once

#include <QDate>
#include <QString>

#include <vector>

// Turkey's religious holidays, which follow the Hijri calendar: Ramazan
// Bayramı the three days from 1 Şevval, Kurban Bayramı the four days from
// 10 Zilhicce. Turkey's announced dates agree with the Umm al-Qura calendar
// (the tabular Islamic calendar misses many of them by a day).
namespace holidays {

struct NamedDay {
    QDate date;
    QString feast; // "Kurban Bayramı"
    QString name;  // "Kurban Bayramı 2. gün", "Kurban Bayramı arifesi"
};

// The bayram days that fall in this Gregorian year, in order.
const std::vector<NamedDay>& bayramDays(int year);
// The eves whose afternoon is off by law, in order: each bayram's and
// 28 Ekim, the eve of Cumhuriyet Bayramı.
const std::vector<NamedDay>& halfDays(int year);

} // namespace holidays

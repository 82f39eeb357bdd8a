#include "core/LunarHolidays.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <map>
#include <memory>

namespace holidays {

namespace {
// ICU's month numbers count from 0: Şevval is the tenth month, Zilhicce the twelfth.
constexpr int kShevval = 9;
constexpr int kZilhicce = 11;

struct Feast {
    int month;
    int firstDay;
    int days;
    const char* name;
};
constexpr Feast kFeasts[] = {
    {kShevval, 1, 3, "Ramazan Bayramı"},
    {kZilhicce, 10, 4, "Kurban Bayramı"},
};

struct YearDays {
    std::vector<NamedDay> bayrams;
    std::vector<NamedDay> halfDays;
};

// The Gregorian date of a Hijri one, read at noon so no zone moves it a day.
QDate gregorianOf(icu::Calendar& hijri, int hijriYear, int month, int day) {
    UErrorCode status = U_ZERO_ERROR;
    hijri.clear();
    hijri.set(UCAL_EXTENDED_YEAR, hijriYear);
    hijri.set(UCAL_MONTH, month);
    hijri.set(UCAL_DATE, day);
    hijri.set(UCAL_HOUR_OF_DAY, 12);
    const UDate at = hijri.getTime(status);
    if (U_FAILURE(status))
        return {};
    return QDate(1970, 1, 1).addDays(qint64(at / U_MILLIS_PER_DAY));
}

YearDays computeYear(int year) {
    YearDays result;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> hijri(icu::Calendar::createInstance(
        icu::TimeZone::getGMT()->clone(), icu::Locale("tr_TR@calendar=islamic-umalqura"), status));
    if (U_FAILURE(status) || !hijri)
        return result;
    // The Hijri year is eleven days shorter: a Gregorian year meets two or three of them.
    hijri->setTime(double(QDate(1970, 1, 1).daysTo(QDate(year, 1, 1))) * U_MILLIS_PER_DAY +
                       12 * U_MILLIS_PER_HOUR,
                   status);
    const int firstHijri = hijri->get(UCAL_EXTENDED_YEAR, status) - 1;
    if (U_FAILURE(status))
        return result;
    for (int h = firstHijri; h <= firstHijri + 2; ++h) {
        for (const Feast& feast : kFeasts) {
            const QDate first = gregorianOf(*hijri, h, feast.month, feast.firstDay);
            if (!first.isValid())
                continue;
            const QString name = QString::fromUtf8(feast.name);
            if (first.addDays(-1).year() == year)
                result.halfDays.push_back(
                    {first.addDays(-1), name, name + QStringLiteral(" arifesi")});
            for (int d = 0; d < feast.days; ++d) {
                if (first.addDays(d).year() == year)
                    result.bayrams.push_back(
                        {first.addDays(d), name, name + QStringLiteral(" %1. gün").arg(d + 1)});
            }
        }
    }
    const QString republic = QStringLiteral("Cumhuriyet Bayramı");
    result.halfDays.push_back(
        {QDate(year, 10, 28), republic, republic + QStringLiteral(" arifesi")});
    const auto byDate = [](const NamedDay& a, const NamedDay& b) { return a.date < b.date; };
    std::sort(result.bayrams.begin(), result.bayrams.end(), byDate);
    std::sort(result.halfDays.begin(), result.halfDays.end(), byDate);
    return result;
}

// Asked for every day of every look ahead: each year is reckoned once.
const YearDays& daysOf(int year) {
    static QMutex mutex;
    static std::map<int, YearDays> years;
    QMutexLocker lock(&mutex);
    auto it = years.find(year);
    if (it == years.end())
        it = years.emplace(year, computeYear(year)).first;
    return it->second;
}
} // namespace

const std::vector<NamedDay>& bayramDays(int year) {
    return daysOf(year).bayrams;
}

const std::vector<NamedDay>& halfDays(int year) {
    return daysOf(year).halfDays;
}

} // namespace holidays

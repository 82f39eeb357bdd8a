#include "core/Holidays.h"
#include "core/SettingsTable.h"

#include "platform/EventLog.h"
#include "platform/SettingsStore.h"

Holidays::Holidays(SettingsStore& store, QObject* parent) : QObject(parent), store_(store) {
    load();
}

void Holidays::load() {
    const QString daysText = store_.get(settings::tatilGunler());
    const QString yearsText = store_.get(settings::resmiYillar());
    const auto days = holidays::parseDates(daysText);
    const auto years = holidays::parseYears(yearsText);
    if (!days)
        eventlog::warning(
            QStringLiteral("Tatil günleri okunamadı, yok sayıldı: \"%1\"").arg(daysText.left(80)));
    if (!years)
        eventlog::warning(QStringLiteral("Resmî tatil yılları okunamadı, yok sayıldı: \"%1\"")
                              .arg(yearsText.left(80)));
    days_ = days.value_or(holidays::DateSet{});
    takenOver_ = years.value_or(holidays::YearSet{});
    emit changed();
}

bool Holidays::contains(const QDate& day) const {
    return days_.count(day) > 0 ||
           (takenOver_.count(day.year()) == 0 && holidays::isNationalHoliday(day));
}

holidays::DateSet Holidays::marked(int firstYear, int lastYear) const {
    holidays::DateSet result(days_.lower_bound(QDate(firstYear, 1, 1)),
                             days_.upper_bound(QDate(lastYear, 12, 31)));
    for (int year = firstYear; year <= lastYear; ++year) {
        if (takenOver_.count(year) == 0) {
            for (const QDate& day : holidays::nationalHolidays(year))
                result.insert(day);
        }
    }
    return result;
}

// From the first change of a year on, its national days are ordinary marks.
void Holidays::takeOverYears(const QDate& from, const QDate& to) {
    for (int year = from.year(); year <= to.year(); ++year) {
        if (takenOver_.insert(year).second) {
            for (const QDate& day : holidays::nationalHolidays(year))
                days_.insert(day);
        }
    }
}

void Holidays::mark(const QDate& from, const QDate& to) {
    if (!from.isValid() || !to.isValid() || to < from)
        return;
    takeOverYears(from, to);
    for (QDate d = from; d <= to && days_.size() < size_t(holidays::kMaxDays); d = d.addDays(1))
        days_.insert(d);
    save();
}

void Holidays::unmark(const QDate& from, const QDate& to, bool keepNational) {
    if (!from.isValid() || !to.isValid() || to < from)
        return;
    if (!keepNational) {
        takeOverYears(from, to);
        days_.erase(days_.lower_bound(from), days_.upper_bound(to));
    } else {
        // Nothing national goes, so the years need not be taken over.
        for (auto it = days_.lower_bound(from); it != days_.end() && *it <= to;)
            it = holidays::isNationalHoliday(*it) ? std::next(it) : days_.erase(it);
    }
    save();
}

int Holidays::clearBefore(const QDate& today) {
    // The year's national days still ahead stay marked.
    takeOverYears(today, today);
    const auto end = days_.lower_bound(today);
    const int removed = int(std::distance(days_.begin(), end));
    days_.erase(days_.begin(), end);
    save();
    return removed;
}

void Holidays::save() {
    store_.save(settings::tatilGunler(), holidays::formatDates(days_));
    store_.save(settings::resmiYillar(), holidays::formatYears(takenOver_));
    emit changed();
}

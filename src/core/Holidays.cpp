#include "core/Holidays.h"
#include "core/SettingsTable.h"

#include "platform/EventLog.h"
#include "platform/SettingsStore.h"

Holidays::Holidays(SettingsStore& store, QObject* parent) : QObject(parent), store_(store) {
    load();
}

namespace {
settings::Setting yearsSetting(holidays::Official kind) {
    return kind == holidays::Official::Fixed ? settings::resmiYillar() : settings::bayramYillar();
}

std::size_t slot(holidays::Official kind) {
    return kind == holidays::Official::Fixed ? 0 : 1;
}
} // namespace

void Holidays::load() {
    const QString daysText = store_.get(settings::tatilGunler());
    const auto days = holidays::parseDates(daysText);
    if (!days)
        eventlog::warning(
            QStringLiteral("Tatil günleri okunamadı, yok sayıldı: \"%1\"").arg(daysText.left(80)));
    days_ = days.value_or(holidays::DateSet{});
    for (holidays::Official kind : holidays::kOfficialKinds) {
        const QString yearsText = store_.get(yearsSetting(kind));
        const auto years = holidays::parseYears(yearsText);
        if (!years)
            eventlog::warning(QStringLiteral("Resmî tatil yılları okunamadı, yok sayıldı: \"%1\"")
                                  .arg(yearsText.left(80)));
        takenOver_[slot(kind)] = years.value_or(holidays::YearSet{});
    }
    emit changed();
}

bool Holidays::contains(const QDate& day) const {
    if (days_.count(day) > 0)
        return true;
    for (holidays::Official kind : holidays::kOfficialKinds) {
        if (takenOver_[slot(kind)].count(day.year()) == 0 && holidays::isOfficial(day, kind))
            return true;
    }
    return false;
}

holidays::DateSet Holidays::marked(int firstYear, int lastYear) const {
    holidays::DateSet result(days_.lower_bound(QDate(firstYear, 1, 1)),
                             days_.upper_bound(QDate(lastYear, 12, 31)));
    for (int year = firstYear; year <= lastYear; ++year) {
        for (holidays::Official kind : holidays::kOfficialKinds) {
            if (takenOver_[slot(kind)].count(year) == 0) {
                for (const QDate& day : holidays::officialDays(year, kind))
                    result.insert(day);
            }
        }
    }
    return result;
}

// From the first change of a year on, its official days are ordinary marks.
void Holidays::takeOverYears(const QDate& from, const QDate& to) {
    for (int year = from.year(); year <= to.year(); ++year) {
        for (holidays::Official kind : holidays::kOfficialKinds) {
            if (takenOver_[slot(kind)].insert(year).second) {
                for (const QDate& day : holidays::officialDays(year, kind))
                    days_.insert(day);
            }
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
    for (holidays::Official kind : holidays::kOfficialKinds)
        store_.save(yearsSetting(kind), holidays::formatYears(takenOver_[slot(kind)]));
    emit changed();
}

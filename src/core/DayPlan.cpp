#include "core/DayPlan.h"

#include "core/Holidays.h"
#include "core/SettingsTable.h"
#include "platform/EventLog.h"
#include "platform/SettingsStore.h"

namespace {
settings::Setting tableDates(int table) {
    return table == 0 ? settings::haftaIciGunleri() : settings::haftaSonuGunleri();
}
} // namespace

DayPlan::DayPlan(SettingsStore& store, Holidays& holidays, QObject* parent)
    : QObject(parent), store_(store), holidays_(holidays) {
    connect(&holidays_, &Holidays::changed, this, &DayPlan::changed);
    load();
}

void DayPlan::load() {
    for (int day = 1; day <= 7; ++day) {
        const settings::Setting setting = settings::gunTablosu(day);
        QString text = store_.get(setting);
        if (!settings::fits(setting, text)) {
            eventlog::warning(QStringLiteral("%1 okunamadı, yok sayıldı: \"%2\"")
                                  .arg(setting.key, text.left(20)));
            text = setting.defaultValue;
        }
        weekdays_[day - 1] = Choice(text.toInt());
    }
    for (int table = 0; table < 2; ++table) {
        const QString text = store_.get(tableDates(table));
        const auto dates = holidays::parseDates(text);
        if (!dates)
            eventlog::warning(QStringLiteral("%1 okunamadı, yok sayıldı: \"%2\"")
                                  .arg(tableDates(table).key, text.left(80)));
        tables_[table] = dates.value_or(holidays::DateSet{});
    }
    emit changed();
}

std::optional<DayPlan::Choice> DayPlan::dateChoice(const QDate& date) const {
    for (int table = 0; table < 2; ++table) {
        if (tables_[table].count(date))
            return Choice(table);
    }
    if (holidays_.contains(date))
        return NoBells;
    return std::nullopt;
}

DayPlan::Choice DayPlan::choiceFor(const QDate& date) const {
    if (!date.isValid())
        return NoBells;
    return dateChoice(date).value_or(weekdayChoice(date.dayOfWeek()));
}

int DayPlan::tableFor(const QDate& date) const {
    const Choice choice = choiceFor(date);
    return choice == NoBells ? -1 : int(choice);
}

QString DayPlan::halfDayOn(const QDate& date) const {
    if (!date.isValid() || dateChoice(date).has_value() ||
        weekdayChoice(date.dayOfWeek()) == NoBells)
        return {};
    return holidays::halfDayName(date);
}

int DayPlan::bellsUntil(const QDate& date) const {
    return halfDayOn(date).isEmpty() ? 24 * 60 : holidays::kHalfDayFromMinute;
}

holidays::DateSet DayPlan::datesWith(Choice table, int firstYear, int lastYear) const {
    if (table == NoBells) {
        holidays::DateSet quiet = holidays_.marked(firstYear, lastYear);
        for (const holidays::DateSet& tabled : tables_) {
            for (auto it = tabled.lower_bound(QDate(firstYear, 1, 1));
                 it != tabled.end() && it->year() <= lastYear; ++it)
                quiet.erase(*it); // a table over a holiday rings
        }
        return quiet;
    }
    const holidays::DateSet& all = tables_[table];
    return {all.lower_bound(QDate(firstYear, 1, 1)), all.upper_bound(QDate(lastYear, 12, 31))};
}

void DayPlan::setWeekdayChoice(int weekday, Choice choice) {
    if (weekday < 1 || weekday > 7 || weekdays_[weekday - 1] == choice)
        return;
    weekdays_[weekday - 1] = choice;
    store_.save(settings::gunTablosu(weekday), QString::number(int(choice)));
    emit changed();
}

void DayPlan::setDates(const QDate& from, const QDate& to, Choice choice) {
    if (!from.isValid() || !to.isValid() || to < from || from.daysTo(to) >= holidays::kMaxDays)
        return;
    // An exam week must not ring on the national day inside it: only that
    // very day, chosen on its own, is the school's to change.
    holidays::DateSet stayHolidays;
    if (from != to && choice != NoBells) {
        for (const QDate& day : holidays_.marked(from.year(), to.year())) {
            if (day >= from && day <= to && holidays::isNationalHoliday(day) &&
                dateChoice(day) == NoBells)
                stayHolidays.insert(day);
        }
    }
    takeTables(from, to);
    if (choice != NoBells) {
        for (QDate d = from; d <= to; d = d.addDays(1)) {
            if (!stayHolidays.count(d))
                tables_[choice].insert(d);
        }
    }
    save();
    // Holidays tell the change to whoever listens, us included. A national
    // day's mark stays under a table, so removing the table brings it back.
    if (choice == NoBells)
        holidays_.mark(from, to);
    else
        holidays_.unmark(from, to, true);
}

void DayPlan::clearDates(const QDate& from, const QDate& to) {
    if (!from.isValid() || !to.isValid() || to < from)
        return;
    const bool hadTable = takeTables(from, to);
    save();
    if (from == to && hadTable) {
        emit changed(); // the day is what it was before its table
        return;
    }
    holidays_.unmark(from, to, from != to);
}

bool DayPlan::takeTables(const QDate& from, const QDate& to) {
    bool had = false;
    for (auto& dates : tables_) {
        const auto first = dates.lower_bound(from);
        const auto last = dates.upper_bound(to);
        had = had || first != last;
        dates.erase(first, last);
    }
    return had;
}

void DayPlan::save() {
    for (int table = 0; table < 2; ++table)
        store_.save(tableDates(table), holidays::formatDates(tables_[table]));
}

QString DayPlan::choiceName(Choice choice) {
    switch (choice) {
    case WeekdayTable:
        return QStringLiteral("Hafta içi saatleri");
    case WeekendTable:
        return QStringLiteral("Hafta sonu saatleri");
    case NoBells:
        break;
    }
    return QStringLiteral("Zil yok");
}

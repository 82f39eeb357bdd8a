#include "core/HolidayDates.h"

#include "core/LunarHolidays.h"

#include <QStringList>

#include <array>

namespace holidays {

namespace {
const QString kIsoDay = QStringLiteral("yyyy-MM-dd");
const QString kRangeMark = QStringLiteral("..");

struct National {
    int month;
    int day;
    const char* name;
};
constexpr std::array<National, 7> kNational{{
    {1, 1, "Yılbaşı"},
    {4, 23, "Ulusal Egemenlik ve Çocuk Bayramı"},
    {5, 1, "Emek ve Dayanışma Günü"},
    {5, 19, "Atatürk'ü Anma, Gençlik ve Spor Bayramı"},
    {7, 15, "Demokrasi ve Millî Birlik Günü"},
    {8, 30, "Zafer Bayramı"},
    {10, 29, "Cumhuriyet Bayramı"},
}};

std::optional<QDate> parseDay(const QString& text) {
    if (text.size() != 10)
        return std::nullopt;
    const QDate day = QDate::fromString(text, kIsoDay);
    if (!day.isValid())
        return std::nullopt;
    return day;
}
} // namespace

std::optional<DateSet> parseDates(const QString& text) {
    DateSet days;
    if (text.trimmed().isEmpty())
        return days;
    // The days named, a day named twice counted twice: ranges written over
    // one another (a few kilobytes of them) would otherwise keep the program
    // busy for minutes at every start. The program writes each day once.
    qint64 named = 0;
    for (const QString& raw : text.split(QLatin1Char(','))) {
        const QString item = raw.trimmed();
        const qsizetype mark = item.indexOf(kRangeMark);
        const auto from = parseDay(mark < 0 ? item : item.left(mark));
        const auto to = parseDay(mark < 0 ? item : item.mid(mark + kRangeMark.size()));
        if (!from || !to || *to < *from)
            return std::nullopt;
        named += from->daysTo(*to) + 1;
        if (named > kMaxDays)
            return std::nullopt;
        for (QDate d = *from; d <= *to; d = d.addDays(1))
            days.insert(d);
    }
    return days;
}

QString formatDates(const DateSet& days) {
    QStringList items;
    for (const auto& [from, to] : ranges(days)) {
        items << (from == to ? from.toString(kIsoDay)
                             : from.toString(kIsoDay) + kRangeMark + to.toString(kIsoDay));
    }
    return items.join(QLatin1Char(','));
}

std::optional<YearSet> parseYears(const QString& text) {
    YearSet years;
    if (text.trimmed().isEmpty())
        return years;
    for (const QString& raw : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int year = raw.trimmed().toInt(&ok);
        if (!ok || year < 1900 || year > 9999)
            return std::nullopt;
        years.insert(year);
    }
    return years;
}

QString formatYears(const YearSet& years) {
    QStringList items;
    for (int year : years)
        items << QString::number(year);
    return items.join(QLatin1Char(','));
}

std::vector<Range> ranges(const DateSet& days) {
    std::vector<Range> result;
    for (const QDate& day : days) {
        if (!result.empty() && result.back().second.addDays(1) == day)
            result.back().second = day;
        else
            result.emplace_back(day, day);
    }
    return result;
}

std::vector<QDate> officialDays(int year, Official kind) {
    std::vector<QDate> days;
    if (kind == Official::Fixed) {
        for (const National& n : kNational)
            days.emplace_back(year, n.month, n.day);
    } else {
        for (const NamedDay& day : bayramDays(year))
            days.push_back(day.date);
    }
    return days;
}

namespace {
const National* fixedHoliday(const QDate& day) {
    for (const National& n : kNational) {
        if (day.month() == n.month && day.day() == n.day)
            return &n;
    }
    return nullptr;
}

const NamedDay* namedIn(const std::vector<NamedDay>& days, const QDate& day) {
    for (const NamedDay& named : days) {
        if (named.date == day)
            return &named;
    }
    return nullptr;
}
} // namespace

bool isOfficial(const QDate& day, Official kind) {
    if (!day.isValid())
        return false;
    if (kind == Official::Fixed)
        return fixedHoliday(day) != nullptr;
    return namedIn(bayramDays(day.year()), day) != nullptr;
}

bool isNationalHoliday(const QDate& day) {
    return isOfficial(day, Official::Fixed) || isOfficial(day, Official::Bayram);
}

QString nationalHolidayName(const QDate& day) {
    if (!day.isValid())
        return {};
    QStringList names;
    if (const National* n = fixedHoliday(day))
        names << QString::fromUtf8(n->name);
    if (const NamedDay* bayram = namedIn(bayramDays(day.year()), day))
        names << bayram->name;
    return names.join(QStringLiteral("; "));
}

QString feastName(const QDate& day) {
    if (!day.isValid())
        return {};
    if (const National* n = fixedHoliday(day))
        return QString::fromUtf8(n->name);
    if (const NamedDay* bayram = namedIn(bayramDays(day.year()), day))
        return bayram->feast;
    if (const NamedDay* eve = namedIn(halfDays(day.year()), day))
        return eve->feast;
    return {};
}

QString halfDayName(const QDate& day) {
    if (!day.isValid())
        return {};
    const NamedDay* eve = namedIn(halfDays(day.year()), day);
    return eve ? eve->name : QString();
}

} // namespace holidays

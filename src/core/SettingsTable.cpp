#include "core/SettingsTable.h"

#include "core/HolidayDates.h"
#include "core/Timetable.h"

#include <QRegularExpression>

#include <algorithm>

#include <QDir>

#include <array>

namespace settings {

namespace {
constexpr std::array<const char*, 3> kMelodyDefaults{"Melodi 5.wav", "Melodi 6.wav",
                                                     "Melodi 1.wav"};
constexpr std::array<const char*, 3> kAnnouncementDefaults{"1", "0", "0"};
constexpr std::array<int, 10> kVolumeDefaults{70, 70, 70, 10, 50, 50, 50, 80, 80, 80};
} // namespace

QString indexedKey(const QString& prefix, int index) {
    return prefix + QStringLiteral("(") + QString::number(index) + QStringLiteral(")");
}

Setting zil(int kind) {
    return {kMelodiler, indexedKey(QStringLiteral("Zil"), kind),
            QString::fromLatin1(kMelodyDefaults.at(kind)), Shape::FileName};
}

Setting timex(int cell) {
    return {kSaatler, indexedKey(QStringLiteral("timex"), cell), timetable::defaultCellText(cell),
            Shape::Time};
}

Setting anons(int kind) {
    return {kAnonslar, indexedKey(QStringLiteral("Anons"), kind),
            QString::fromLatin1(kAnnouncementDefaults.at(kind)), Shape::Flag};
}

Setting zilIptal() {
    return {kAnonslar, QStringLiteral("ZilIptal"), QStringLiteral("1"), Shape::Flag};
}

Setting aktif() {
    return {kMuzik, QStringLiteral("Aktif"), QStringLiteral("1"), Shape::Flag};
}

Setting musicT(int breakIndex) {
    return {kMuzik, indexedKey(QStringLiteral("MusicT"), breakIndex),
            QString::number(timetable::defaultBreakMark(breakIndex)), Shape::Flag};
}

Setting sesx(int index) {
    return {kSes, indexedKey(QStringLiteral("Sesx"), index),
            QString::number(kVolumeDefaults.at(index)), Shape::Level};
}

Setting masterVolume() {
    return {kSes, QStringLiteral("MasterVolume"), QStringLiteral("0"), Shape::Position};
}

Setting hwnd() {
    return {kGenel, QStringLiteral("hwnd"), QStringLiteral("0"), Shape::Internal};
}

Setting silPath() {
    return {kGenel, QStringLiteral("silPath"),
            QDir::homePath() + QStringLiteral("/.local/opt/Velmar Dorl"), Shape::Internal};
}

Setting sesCikisi() {
    return {kGenel, QStringLiteral("SesCikisi"), QString(), Shape::Internal};
}

Setting tatilGunler() {
    return {kTatil, QStringLiteral("Gunler"), QString(), Shape::Dates};
}

Setting resmiYillar() {
    return {kTatil, QStringLiteral("ResmiYillar"), QString(), Shape::Years};
}

Setting bayramYillar() {
    return {kTatil, QStringLiteral("BayramYillar"), QString(), Shape::Years, true};
}

Setting gunTablosu(int weekday) {
    return {kTatil, indexedKey(QStringLiteral("Gun"), weekday),
            weekday >= 6 ? QStringLiteral("1") : QStringLiteral("0"), Shape::Table, true};
}

Setting haftaIciGunleri() {
    return {kTatil, QStringLiteral("HaftaIciGunleri"), QString(), Shape::Dates, true};
}

Setting haftaSonuGunleri() {
    return {kTatil, QStringLiteral("HaftaSonuGunleri"), QString(), Shape::Dates, true};
}

Setting onKasim() {
    return {kToren, QStringLiteral("OnKasim"), QStringLiteral("1"), Shape::Flag, true};
}

Setting bayrakToreni() {
    return {kToren, QStringLiteral("BayrakToreni"), QStringLiteral("0"), Shape::Flag, true};
}

Setting torenSaati(int day) {
    return {kToren, indexedKey(QStringLiteral("TorenSaati"), day),
            day == 0 ? QStringLiteral("08:20") : QStringLiteral("15:05"), Shape::Time, true};
}

namespace {
bool isWholeNumberIn(const QString& value, int low, int high) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
    if (!digits.match(value).hasMatch())
        return false;
    const int n = value.toInt();
    return n >= low && n <= high;
}
} // namespace

bool fits(const Setting& setting, const QString& value) {
    switch (setting.shape) {
    case Shape::Internal:
        return true;
    case Shape::FileName:
        return !value.isEmpty() && value.size() <= 255 && !value.contains(QLatin1Char('/')) &&
               value != QLatin1String(".") && value != QLatin1String("..") &&
               std::none_of(value.cbegin(), value.cend(),
                            [](QChar c) { return c.category() == QChar::Other_Control; });
    case Shape::Time: {
        static const QRegularExpression time(QStringLiteral("^[0-9_]{2}:[0-9_]{2}$"));
        return time.match(value).hasMatch();
    }
    case Shape::Flag:
        return value == QLatin1String("0") || value == QLatin1String("1");
    case Shape::Level:
        return isWholeNumberIn(value, 0, 100);
    case Shape::Position:
        return isWholeNumberIn(value, 0, 10);
    case Shape::Dates:
        return holidays::parseDates(value).has_value();
    case Shape::Years:
        return holidays::parseYears(value).has_value();
    case Shape::Table:
        return isWholeNumberIn(value, 0, 2);
    }
    return false;
}

const std::vector<Setting>& table() {
    static const std::vector<Setting> all = [] {
        std::vector<Setting> rows;
        for (int k = 0; k < 3; ++k)
            rows.push_back(zil(k));
        for (int i = 0; i < timetable::kCellCount; ++i)
            rows.push_back(timex(i));
        for (int k = 0; k < 3; ++k)
            rows.push_back(anons(k));
        rows.push_back(zilIptal());
        rows.push_back(aktif());
        for (int i = 0; i < 10; ++i)
            rows.push_back(sesx(i));
        for (int b = 0; b < timetable::kBreakCount; ++b)
            rows.push_back(musicT(b));
        rows.push_back(masterVolume());
        rows.push_back(hwnd());
        rows.push_back(silPath());
        rows.push_back(sesCikisi());
        rows.push_back(tatilGunler());
        rows.push_back(resmiYillar());
        rows.push_back(bayramYillar());
        for (int day = 1; day <= 7; ++day)
            rows.push_back(gunTablosu(day));
        rows.push_back(haftaIciGunleri());
        rows.push_back(haftaSonuGunleri());
        rows.push_back(onKasim());
        rows.push_back(bayrakToreni());
        for (int day = 0; day < 2; ++day)
            rows.push_back(torenSaati(day));
        return rows;
    }();
    return all;
}

} // namespace settings

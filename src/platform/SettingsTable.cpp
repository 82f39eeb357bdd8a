#include "platform/SettingsTable.h"

#include "platform/Timetable.h"

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
            QString::fromLatin1(kMelodyDefaults.at(kind))};
}

Setting timex(int cell) {
    return {kSaatler, indexedKey(QStringLiteral("timex"), cell), timetable::defaultCellText(cell)};
}

Setting anons(int kind) {
    return {kAnonslar, indexedKey(QStringLiteral("Anons"), kind),
            QString::fromLatin1(kAnnouncementDefaults.at(kind))};
}

Setting zilIptal() {
    return {kAnonslar, QStringLiteral("ZilIptal"), QStringLiteral("1")};
}

Setting aktif() {
    return {kMuzik, QStringLiteral("Aktif"), QStringLiteral("1")};
}

Setting musicT(int breakIndex) {
    return {kMuzik, indexedKey(QStringLiteral("MusicT"), breakIndex),
            QString::number(timetable::defaultBreakMark(breakIndex))};
}

Setting sesx(int index) {
    return {kSes, indexedKey(QStringLiteral("Sesx"), index),
            QString::number(kVolumeDefaults.at(index))};
}

Setting masterVolume() {
    return {kSes, QStringLiteral("MasterVolume"), QStringLiteral("0")};
}

Setting hwnd() {
    return {kGenel, QStringLiteral("hwnd"), QStringLiteral("0")};
}

Setting silPath() {
    return {kGenel, QStringLiteral("silPath"),
            QDir::homePath() + QStringLiteral("/.local/opt/Velmar Dorl")};
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
        return rows;
    }();
    return all;
}

} // namespace settings

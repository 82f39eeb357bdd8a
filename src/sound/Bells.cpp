#include "sound/Bells.h"

#include "core/StoredValues.h"
#include "sound/Playback.h"

#include <array>

namespace bells {

QString buttonText(int kind) {
    static const std::array<QString, 3> texts{QStringLiteral("Öğrenci Giriş zili"),
                                              QStringLiteral("Öğretmen Giriş zili"),
                                              QStringLiteral("Çıkış zili")};
    return texts.at(kind);
}

QString scheduledText(int kind) {
    static const std::array<QString, 3> texts{QStringLiteral("Öğrenci giriş zili"),
                                              QStringLiteral("Öğretmen giriş zili"),
                                              QStringLiteral("Çıkış zili")};
    return texts.at(kind);
}

QString announcementFor(const StoredValues& values, int kind) {
    if (values.Anons.at(kind) != QLatin1String("1"))
        return {};
    return Playback::kAnonslar + QString::number(kind) + QStringLiteral(".mp3");
}

void ring(Playback& playback, const StoredValues& values, const QString& appPath, int kind,
          const QString& melody, const QString& info, bool noAnnouncement) {
    const QString next = noAnnouncement ? QString() : announcementFor(values, kind);
    playback.play(appPath + Playback::kMelodiler + melody, next, values.Sesx.at(7 + kind), info,
                  false);
}

} // namespace bells

namespace ceremonies {

QString infoText(int row) {
    static const std::array<QString, 3> texts{QStringLiteral("İstiklal Marşı"),
                                              QStringLiteral("Saygı Duruşu + İstiklal Marşı"),
                                              QStringLiteral("Siren")};
    return texts.at(row);
}

namespace {
QString fileOf(const QString& appPath, int row) {
    return appPath + Playback::kMarslar + QString::number(row) + QStringLiteral(".mp3");
}
} // namespace

void play(Playback& playback, const StoredValues& values, const QString& appPath, int row) {
    const QString next = row == kSilence ? Playback::kMarslar + QStringLiteral("0.mp3") : QString();
    playback.play(fileOf(appPath, row), next, values.Sesx.at(row), infoText(row), false);
}

void playAfterBell(Playback& playback, const StoredValues& values, const QString& appPath,
                   int row) {
    if (row == kSilence)
        return play(playback, values, appPath, row); // it has a follow-up of its own
    playback.playAfterCurrent(fileOf(appPath, row), values.Sesx.at(row), infoText(row));
}

QString delayTagFor(const QString& item) {
    static const std::array<std::pair<QString, QString>, 7> table{{
        {QStringLiteral("Hemen"), QStringLiteral("0")},
        {QStringLiteral("15 saniye sonra"), QStringLiteral("15")},
        {QStringLiteral("30 saniye sonra"), QStringLiteral("30")},
        {QStringLiteral("45 saniye sonra"), QStringLiteral("45")},
        {QStringLiteral("1 dakika sonra"), QStringLiteral("60")},
        {QStringLiteral("2 dakika sonra"), QStringLiteral("120")},
        {QStringLiteral("3 dakika sonra"), QStringLiteral("180")},
    }};
    for (const auto& [text, seconds] : table) {
        if (text == item)
            return seconds;
    }
    return {};
}

} // namespace ceremonies

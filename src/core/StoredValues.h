#pragma once

#include "core/Timetable.h"

#include <QString>

#include <array>

class SettingsStore;

// The in-memory copy of every setting, loaded once at start-up and kept
// current by the handlers that change them.
struct StoredValues {
    std::array<QString, 3> Zil;                       // melody file name per bell kind
    std::array<QString, timetable::kCellCount> timex; // exactly five characters
    std::array<QString, 3> Anons;                     // one character, "1" or "0"
    QString ZilIptal = QStringLiteral(" ");           // one character
    qint16 Aktif = 0;
    std::array<qint16, 10> Sesx{};
    std::array<qint16, timetable::kBreakCount> MusicT{};
    QString MasterVolume;
    QString OnKasim = QStringLiteral("1");      // "1": 10 Kasım's remembrance by itself
    QString BayrakToreni = QStringLiteral("0"); // "1": the week's flag ceremonies
    std::array<QString, 2> TorenSaati;          // their times, as cells hold them

    StoredValues();
};

// Loads every value from the store; a missing key yields its default and a
// number that does not convert leaves the previous value. Writes nothing.
void loadStoredValues(const SettingsStore& store, StoredValues& values);

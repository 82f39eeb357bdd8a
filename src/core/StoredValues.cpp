#include "core/StoredValues.h"

#include "core/SettingsTable.h"
#include "core/ValueConversion.h"
#include "platform/SettingsStore.h"

StoredValues::StoredValues() {
    timex.fill(QString(5, QLatin1Char(' ')));
    Anons.fill(QStringLiteral(" "));
    TorenSaati.fill(QStringLiteral("__:__"));
}

namespace {
void loadInt16(const SettingsStore& store, const settings::Setting& setting, qint16& target) {
    if (const auto value = conversion::toInt16(store.get(setting)))
        target = *value;
}
} // namespace

void loadStoredValues(const SettingsStore& store, StoredValues& values) {
    using namespace settings;
    for (int k = 0; k < 3; ++k)
        values.Zil[k] = store.get(zil(k));
    for (int i = 0; i < timetable::kCellCount; ++i)
        values.timex[i] = conversion::fitFixed(store.get(settings::timex(i)), 5);
    for (int k = 0; k < 3; ++k)
        values.Anons[k] = conversion::fitOneChar(store.get(anons(k)));
    values.ZilIptal = conversion::fitOneChar(store.get(zilIptal()));
    loadInt16(store, aktif(), values.Aktif);
    for (int i = 0; i < 10; ++i)
        loadInt16(store, sesx(i), values.Sesx[i]);
    for (int b = 0; b < timetable::kBreakCount; ++b)
        loadInt16(store, musicT(b), values.MusicT[b]);
    values.MasterVolume = store.get(masterVolume());
    values.OnKasim = conversion::fitOneChar(store.get(onKasim()));
    values.BayrakToreni = conversion::fitOneChar(store.get(bayrakToreni()));
    for (int day = 0; day < 2; ++day)
        values.TorenSaati[day] = conversion::fitFixed(store.get(torenSaati(day)), 5);
}

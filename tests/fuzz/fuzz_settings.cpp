// The settings file as the program reads it at start: the store opens it,
// every value is loaded (times, volumes, holidays, day choices, the instance
// number), then the first write of a start (the instance number) goes
// through the broken-file path when the file cannot be read as a whole.
// Promised: no crash or hang; a broken file is kept aside byte for byte; the
// write is durable; every value the program read before it reads the same
// after it.
#include "FuzzSupport.h"

#include "core/DayPlan.h"
#include "core/Holidays.h"
#include "core/SettingsTable.h"
#include "core/StoredValues.h"
#include "platform/SettingsStore.h"
#include "platform/Signalling.h"

#include <QDate>

#include <vector>

namespace {

std::vector<QString> everyValue(const SettingsStore& store) {
    std::vector<QString> values;
    for (const settings::Setting& s : settings::table()) {
        if (s.key != settings::hwnd().key || s.section != settings::hwnd().section)
            values.push_back(store.get(s));
    }
    return values;
}

// What the program made of the file: loaded values and the day it would ring.
QString loaded(SettingsStore& store) {
    StoredValues values;
    loadStoredValues(store, values);
    Holidays holidays(store);
    DayPlan plan(store, holidays);
    QString summary;
    for (const QString& t : values.timex)
        summary += t;
    for (const qint16 v : values.Sesx)
        summary += QString::number(v) + QLatin1Char(',');
    for (const qint16 v : values.MusicT)
        summary += QString::number(v);
    summary += values.Zil.at(0) + values.Anons.at(0) + values.ZilIptal +
               QString::number(values.Aktif) + values.MasterVolume;
    for (QDate d(2026, 9, 1); d < QDate(2026, 9, 15); d = d.addDays(1))
        summary += QString::number(plan.tableFor(d));
    return summary;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::quietEnvironment();
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = fuzz::freshFolder() + QStringLiteral("/VelmarDorl.ini");
    fuzz::writeFile(path, bytes);

    SettingsStore store(path);
    const QString before = loaded(store);
    const std::vector<QString> valuesBefore = everyValue(store);
    signalling::parseHandle(store.get(settings::hwnd()));

    // Start-up publishes the instance number: the first write.
    const bool saved = store.save(settings::hwnd(), QStringLiteral("4242"));
    FUZZ_CHECK(saved, "the first write of a start is durable");
    if (store.foundBroken())
        FUZZ_CHECK(fuzz::readFile(store.brokenCopyPath()) == bytes,
                   "a broken file is kept aside byte for byte");
    else
        FUZZ_CHECK(store.brokenCopyPath().isEmpty(), "a readable file is not copied aside");

    SettingsStore again(path);
    FUZZ_CHECK(!again.foundBroken(), "the file written is readable as a whole");
    FUZZ_CHECK(again.get(settings::hwnd()) == QLatin1String("4242"), "the write reads back");
    FUZZ_CHECK(everyValue(again) == valuesBefore, "every other value reads as before the write");
    FUZZ_CHECK(loaded(again) == before, "the program loads what it loaded before the write");
    return 0;
}

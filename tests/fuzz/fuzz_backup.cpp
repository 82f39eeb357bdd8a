// A backup taken in by "İçe Aktar" and `velmar-dorl --import` (both call
// backup::importFrom), over three settings files: none yet, a real one, and
// one that cannot be read as a whole.
// Promised: a rejected backup changes nothing (the settings file's bytes are
// the same, no file is added beside it); an accepted one is what the store
// then holds, keeps what belongs to this PC, leaves a byte-for-byte copy of
// the old file, and exports to a backup that reads back the same.
#include "FuzzSupport.h"

#include "core/Backup.h"
#include "core/DayPlan.h"
#include "core/Holidays.h"
#include "core/SettingsTable.h"
#include "core/StoredValues.h"
#include "platform/SettingsStore.h"

#include <QDate>
#include <QDir>
#include <algorithm>

namespace {

QByteArray realSettings;

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void importOver(const QByteArray& backupBytes, const QByteArray* settingsBytes) {
    const QString folder = fuzz::freshFolder();
    const QString settingsPath = folder + QStringLiteral("/VelmarDorl.ini");
    const QString backupPath = folder + QStringLiteral("/yedek.ini");
    if (settingsBytes)
        fuzz::writeFile(settingsPath, *settingsBytes);
    fuzz::writeFile(backupPath, backupBytes);

    SettingsStore store(settingsPath);
    const QString hwnd = store.get(settings::hwnd());
    const QString output = store.get(settings::sesCikisi());
    const QStringList filesBefore = filesIn(folder);
    QString copy;
    const QString problem = backup::importFrom(store, backupPath, &copy);
    FUZZ_CHECK(fuzz::readFile(backupPath) == backupBytes, "the backup is only read");

    if (!problem.isEmpty()) {
        if (settingsBytes)
            FUZZ_CHECK(fuzz::readFile(settingsPath) == *settingsBytes,
                       "a rejected backup leaves the settings file as it was");
        else
            FUZZ_CHECK(!QFile::exists(settingsPath), "a rejected backup makes no settings file");
        FUZZ_CHECK(filesIn(folder) == filesBefore, "a rejected backup adds no file");
        return;
    }

    if (settingsBytes)
        FUZZ_CHECK(fuzz::readFile(copy) == *settingsBytes,
                   "the old settings are kept as they were");
    const backup::Checked checked = backup::read(backupPath);
    FUZZ_CHECK(checked.problem.isEmpty(), "an accepted backup reads again");
    SettingsStore after(settingsPath);
    FUZZ_CHECK(!after.foundBroken(), "the imported file is readable as a whole");
    for (const auto& [setting, value] : checked.values) {
        FUZZ_CHECK(after.get(setting) == value, "the store holds every value of the backup");
        FUZZ_CHECK(settings::fits(setting, value), "only values of the program's own form get in");
    }
    FUZZ_CHECK(after.get(settings::hwnd()) == hwnd, "the instance number stays");
    FUZZ_CHECK(after.get(settings::sesCikisi()) == output, "this PC's sound output stays");

    // The window takes in the new settings.
    StoredValues values;
    loadStoredValues(after, values);
    Holidays holidays(after);
    DayPlan plan(after, holidays);

    const QString exported = folder + QStringLiteral("/disa.ini");
    FUZZ_CHECK(backup::exportTo(after, exported).isEmpty(), "the imported settings export");
    const backup::Checked round = backup::read(exported);
    FUZZ_CHECK(round.problem.isEmpty(), "the export is a backup");
    // An older backup lacks the newer keys: the export then carries what
    // applies to them (the system-wide value or the default) besides.
    FUZZ_CHECK(round.values.size() == checked.values.size() + checked.absent.size(),
               "the export carries every value");
    for (const auto& entry : checked.values) {
        const auto found =
            std::find_if(round.values.begin(), round.values.end(), [&](const auto& v) {
                return v.first.section == entry.first.section && v.first.key == entry.first.key;
            });
        FUZZ_CHECK(found != round.values.end() && found->second == entry.second,
                   "the export carries what was imported");
    }
}

// VELMAR_FUZZ_MAKE_SEEDS=FOLDER: the program's own code writes a settings
// file as a school's year leaves it, and a backup exported from it.
void makeSeeds(const QString& folder) {
    const QString settingsPath = folder + QStringLiteral("/program-written.ini");
    QFile::remove(settingsPath);
    SettingsStore store(settingsPath);
    store.save(settings::hwnd(), QStringLiteral("31337")); // a start
    const char* times[] = {"08:20", "08:35", "09:15", "09:25", "09:30", "10:10", "13:0_"};
    for (int i = 0; i < int(std::size(times)); ++i)
        store.save(settings::timex(i), QString::fromLatin1(times[i]));
    store.save(settings::timex(36), QStringLiteral("10:00"));
    store.save(settings::zil(2), QStringLiteral("Melodi 3.mp3"));
    store.save(settings::anons(1), QStringLiteral("1"));
    store.save(settings::sesx(3), QStringLiteral("25"));
    store.save(settings::musicT(5), QStringLiteral("1"));
    store.save(settings::masterVolume(), QStringLiteral("3"));
    store.save(settings::sesCikisi(), QStringLiteral("alsa_output.pci-0000_00_1f.3.analog-stereo"));
    Holidays holidays(store);
    DayPlan plan(store, holidays);
    holidays.mark(QDate(2027, 1, 25), QDate(2027, 2, 5));
    plan.setWeekdayChoice(6, DayPlan::NoBells);
    plan.setDates(QDate(2027, 1, 11), QDate(2027, 1, 15), DayPlan::WeekendTable);
    FUZZ_CHECK(
        backup::exportTo(store, folder + QStringLiteral("/../backup/exported.ini")).isEmpty(),
        "the seed backup written");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::quietEnvironment();
    static QCoreApplication app(*argc, *argv);
    if (const QString seeds = qEnvironmentVariable("VELMAR_FUZZ_MAKE_SEEDS"); !seeds.isEmpty()) {
        makeSeeds(seeds);
        std::exit(0);
    }
    realSettings = fuzz::readFile(QStringLiteral(VELMAR_FUZZ_SETTINGS));
    FUZZ_CHECK(!realSettings.isEmpty(), "the real settings file is there");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    importOver(bytes, nullptr);
    importOver(bytes, &realSettings);
    QByteArray broken = realSettings;
    broken.insert(broken.size() / 2, '\0');
    importOver(bytes, &broken);
    return 0;
}

#pragma once

#include "core/SettingsTable.h"

#include <QString>

#include <utility>
#include <vector>

class SettingsStore;

// A backup of the timetable and what goes with it (break marks, melodies,
// announcement switches, volumes, holidays): the settings file's format with
// only those keys and a mark that says what it is. What belongs to this PC
// (its instance number, the installation folder) is never carried.
namespace backup {

using Values = std::vector<std::pair<settings::Setting, QString>>;

inline const QString kMarkSection = QStringLiteral("Yedek");
inline const QString kProgram = QStringLiteral("Velmar Dorl");

// The settings a backup carries, in the table's order.
std::vector<settings::Setting> rows();

// Each function returns what went wrong, in Turkish, or an empty text.
QString exportTo(const SettingsStore& store, const QString& path);

struct Checked {
    QString problem;
    Values values;
    // Newer settings an older backup lacks: taken out of the user's file, so
    // that a system-wide value or the built-in default applies again.
    std::vector<settings::Setting> absent = {};
};
// Reads and checks a backup without changing anything.
Checked read(const QString& path);

// Checks the backup, keeps a copy of the current settings beside them, then
// puts in a whole new settings file with every value of the backup (and
// none of those it lacks), or changes nothing. `copy` receives the copy's path.
QString importFrom(SettingsStore& store, const QString& path, QString* copy = nullptr);

} // namespace backup

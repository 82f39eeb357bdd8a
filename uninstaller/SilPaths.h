#pragma once

#include <QString>

// Where the pieces of an installation of Velmar Dorl live for this user.
namespace silpaths {

inline const QString kProgramName = QStringLiteral("velmar-dorl");
inline const QString kUninstallFolder = QStringLiteral("Kaldır");
// The copy that does the removal; the stage test compares its name exactly.
inline const QString kCopyName = QStringLiteral("sill");

QString desktopFolder();
QString applicationsFolder();
QString autostartEntry();
QString settingsFile();
QString runtimeFolder();
// A folder only this user can write to, for the temporary copy.
QString privateTempFolder();
QString defaultInstallFolder();

// The installation folder that holds `silFolder` as its "Kaldır", when
// `silFolder` really is that: named "Kaldır", inside a folder that holds the
// main program. Empty otherwise.
QString installFolderOf(const QString& silFolder);

// An installation folder that may be emptied: not empty, not the root, not the
// home folder, and holding the main program.
bool isInstallFolder(const QString& folder);

} // namespace silpaths

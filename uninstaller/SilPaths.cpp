#include "SilPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace silpaths {

QString desktopFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString applicationsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
}

QString autostartEntry() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/velmar-dorl.desktop");
}

QString settingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/VelmarDorl/VelmarDorl.ini");
}

QString runtimeFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!folder.isEmpty())
        return folder;
    // Where the program falls back to as well: the user's own, never the shared /tmp.
    const QString own = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                        QStringLiteral("/VelmarDorl/run");
    QDir().mkpath(own);
    QFile::setPermissions(own,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return own;
}

QString privateTempFolder() {
    // The runtime folder belongs to this user alone: no one else can put a
    // program named "sill" there for us to start.
    return runtimeFolder();
}

QString defaultInstallFolder() {
    return QDir::homePath() + QStringLiteral("/.local/opt/Velmar Dorl");
}

QString installFolderOf(const QString& silFolder) {
    const QFileInfo info(silFolder);
    if (info.fileName() != kUninstallFolder)
        return {};
    const QString install = QFileInfo(info.absolutePath()).absoluteFilePath();
    return isInstallFolder(install) ? install : QString();
}

bool isInstallFolder(const QString& folder) {
    if (folder.trimmed().isEmpty())
        return false;
    const QFileInfo info(folder);
    if (!info.isDir())
        return false;
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || canonical == QDir::rootPath() ||
        canonical == QDir(QDir::homePath()).canonicalPath())
        return false;
    return QFileInfo(canonical + QLatin1Char('/') + kProgramName).isFile();
}

} // namespace silpaths

#include "SilStore.h"

#include "SilPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace silstore {

namespace {
QString fullKey(const QString& key) {
    return QStringLiteral("Genel/") + key;
}
} // namespace

QString read(const QString& key, const QString& fallback) {
    QSettings settings(silpaths::settingsFile(), QSettings::IniFormat);
    return settings.value(fullKey(key), fallback).toString();
}

void write(const QString& key, const QString& value) {
    QDir().mkpath(QFileInfo(silpaths::settingsFile()).absolutePath());
    QSettings settings(silpaths::settingsFile(), QSettings::IniFormat);
    settings.setValue(fullKey(key), value);
    settings.sync();
}

void removeAll() {
    const QString file = silpaths::settingsFile();
    QFile::remove(file);
    QFile::remove(file + QStringLiteral(".lock"));
    QDir().rmdir(QFileInfo(file).absolutePath()); // only when nothing else is in it
}

} // namespace silstore

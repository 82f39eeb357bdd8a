#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

// Fresh config, runtime and program folders for one test; the config and
// runtime folders are also put into the environment, as a user session has.
class TestFolders {
public:
    TestFolders() {
        QDir(root_.path()).mkpath(QStringLiteral("config"));
        QDir(root_.path()).mkpath(QStringLiteral("runtime"));
        QDir(root_.path()).mkpath(QStringLiteral("app"));
        ::chmod(QFile::encodeName(runtime()).constData(), 0700);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime()));
    }
    QString root() const { return root_.path(); }
    QString config() const { return root_.path() + QStringLiteral("/config"); }
    QString runtime() const { return root_.path() + QStringLiteral("/runtime"); }
    QString app() const { return root_.path() + QStringLiteral("/app"); }
    QString settingsFile() const { return config() + QStringLiteral("/VelmarDorl/VelmarDorl.ini"); }

    QByteArray settingsBytes() const {
        QFile file(settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeSettings(const QByteArray& bytes) const {
        QDir().mkpath(config() + QStringLiteral("/VelmarDorl"));
        QFile file(settingsFile());
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    }

private:
    QTemporaryDir root_;
};

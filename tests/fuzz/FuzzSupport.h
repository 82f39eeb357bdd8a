#pragma once

#include "platform/EventLog.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

// What the fuzz targets share: a scratch folder on tmpfs (the store syncs
// every write to disk), a fresh folder for every input, and a check that
// stops the run with the reason.
namespace fuzz {

// A broken promise: libFuzzer keeps the input that led here.
#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "fuzz check failed: %s (%s)\n", what, #condition);                \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

inline QString scratchRoot() {
    // Kept for good: the clean-up at exit runs after static objects are gone.
    static const QString* root = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        auto* path =
            new QString(base + QStringLiteral("/velmar-fuzz-") + QString::number(::getpid()));
        QDir(*path).removeRecursively();
        QDir().mkpath(*path);
        std::atexit([] { QDir(*root).removeRecursively(); });
        return path;
    }();
    return *root;
}

// A new empty folder per input: QSettings keeps parsed files by name, and a
// file rewritten within the same millisecond at the same size would be taken
// for the old one.
inline QString freshFolder() {
    static int count = 0;
    const QString previous = scratchRoot() + QLatin1Char('/') + QString::number(count);
    QDir(previous).removeRecursively();
    ++count;
    const QString path = scratchRoot() + QLatin1Char('/') + QString::number(count);
    QDir().mkpath(path);
    return path;
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(),
               "scratch file written");
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The settings store reads the user's folder and XDG_CONFIG_DIRS: neither may
// be the real one. Log lines go nowhere.
inline void quietEnvironment() {
    const QByteArray root = scratchRoot().toLocal8Bit();
    ::setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    ::setenv("XDG_CONFIG_DIRS", (root + "/system").constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("QT_LOGGING_RULES", "*.warning=false;qt.qpa.*=false", 1);
    eventlog::setSink([](eventlog::Level, const QString&) {});
}

} // namespace fuzz

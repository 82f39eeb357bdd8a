#include "sound/SongFolder.h"

#include <QDir>

#include <cmath>

namespace {
QStringList listByPatterns(const QString& folder, std::initializer_list<const char*> patterns) {
    QStringList names;
    const QDir dir(folder);
    for (const char* pattern : patterns) {
        names += dir.entryList({QString::fromLatin1(pattern)}, QDir::Files | QDir::Readable,
                               QDir::Unsorted);
    }
    return names;
}
} // namespace

QStringList listSongs(const QString& folder) {
    return listByPatterns(folder, {"*.mid", "*.wav", "*.mp3"});
}

QStringList listMelodies(const QString& folder) {
    return listByPatterns(folder, {"*.wav", "*.mp3", "*.mid"});
}

int pickIndex(int count, float r) {
    return static_cast<int>(std::floor(static_cast<float>(count) * r + 1.0f));
}

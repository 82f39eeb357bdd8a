#include "platform/SoundHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

namespace soundhome {

namespace {
// "Folder/name" of every default sound already offered, one a line.
const QString kOffered = QStringLiteral("/.sunulan-sesler");

QSet<QString> readOffered(const QString& path) {
    QSet<QString> offered;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        offered = QSet<QString>(lines.cbegin(), lines.cend());
    }
    return offered;
}

void writeOffered(const QString& path, const QSet<QString>& offered) {
    QStringList lines(offered.cbegin(), offered.cend());
    lines.sort();
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        file.commit();
    }
}
} // namespace

QString defaultsFor(const QString& programFolder) {
    if (QFileInfo(programFolder + QStringLiteral("/Melodiler")).isDir())
        return programFolder;
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/velmar-dorl"));
}

QString choose(const QString& programFolder, bool programFolderWritable, const QString& defaults,
               const QString& userData) {
    if (programFolderWritable)
        return programFolder;
    // A default is offered once: a song the school deleted stays deleted, and
    // a default that a new version brings arrives once.
    const bool remembered = QFileInfo::exists(userData + kOffered);
    QSet<QString> offered = readOffered(userData + kOffered);
    const qsizetype offeredBefore = offered.size();
    for (const QString& folder : kFolders) {
        const QString target = userData + QLatin1Char('/') + folder;
        const bool made = !QFileInfo::exists(target);
        QDir().mkpath(target);
        const QDir source(defaults + QLatin1Char('/') + folder);
        for (const QString& name : source.entryList(QDir::Files)) {
            const QString entry = folder + QLatin1Char('/') + name;
            if (offered.contains(entry))
                continue;
            offered.insert(entry);
            // A folder an earlier version filled, before this record was
            // kept: what is missing from it was deleted.
            if (!made && !remembered)
                continue;
            const QString copy = target + QLatin1Char('/') + name;
            if (!QFileInfo::exists(copy) && !QFileInfo(copy).isSymLink())
                QFile::copy(source.filePath(name), copy); // the school's own file stays
        }
    }
    if (offered.size() != offeredBefore || !remembered)
        writeOffered(userData + kOffered, offered);
    return userData;
}

} // namespace soundhome

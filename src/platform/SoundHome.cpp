#include "platform/SoundHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace soundhome {

QString defaultsFor(const QString& programFolder) {
    if (QFileInfo(programFolder + QStringLiteral("/Melodiler")).isDir())
        return programFolder;
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/velmar-dorl"));
}

QString choose(const QString& programFolder, bool programFolderWritable, const QString& defaults,
               const QString& userData) {
    if (programFolderWritable)
        return programFolder;
    for (const QString& folder : kFolders) {
        const QString target = userData + QLatin1Char('/') + folder;
        QDir().mkpath(target);
        const QDir source(defaults + QLatin1Char('/') + folder);
        for (const QString& name : source.entryList(QDir::Files)) {
            const QString copy = target + QLatin1Char('/') + name;
            if (!QFileInfo::exists(copy) && !QFileInfo(copy).isSymLink())
                QFile::copy(source.filePath(name), copy); // the school's own file stays
        }
    }
    return userData;
}

} // namespace soundhome

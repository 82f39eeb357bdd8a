#include "Stages.h"

#include "SilPaths.h"
#include "SilStore.h"

#include <QFile>
#include <QFileInfo>

namespace stages {

bool isCopy(const QString& programPath) {
    return QFileInfo(programPath).completeBaseName() == silpaths::kCopyName;
}

int runFirst(const QString& programPath, const std::function<void(const QString&)>& warn,
             const std::function<bool(const QString&)>& start) {
    const QFileInfo self(programPath);
    const QString install = silpaths::installFolderOf(self.absolutePath());
    if (install.isEmpty()) {
        warn(kWrongFolder);
        return 1;
    }
    silstore::write(QStringLiteral("silPath"), install);
    const QString copy = silpaths::privateTempFolder() + QLatin1Char('/') + silpaths::kCopyName;
    QFile::remove(copy);
    if (!QFile::copy(self.absoluteFilePath(), copy) || !start(copy))
        return 2;
    return 0;
}

} // namespace stages

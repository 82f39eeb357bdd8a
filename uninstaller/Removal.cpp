#include "Removal.h"

#include "SilPaths.h"
#include "SilStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace removal {

namespace {
Step act(Step::Kind kind, const QString& path = {}) {
    return {kind, path, 0, {}};
}
Step wait(double seconds, const QString& caption) {
    return {Step::Wait, {}, seconds, caption};
}
} // namespace

std::vector<Step> plan(int option) {
    if (option < 0 || option > 2)
        return {};
    std::vector<Step> steps;
    steps.push_back(act(Step::DeleteAutostart));
    if (option != 2)
        steps.push_back(act(Step::DeleteSettings));
    steps.push_back(wait(0.2, QStringLiteral("Kayıt anahtarları siliniyor.")));
    const struct {
        const char* folder;
        const char* caption;
        bool keptByAddedFiles;
    } folders[] = {{"Melodiler", "Melodiler siliniyor.", true},
                   {"Anonslar", "Anonslar siliniyor.", false},
                   {"Marşlar", "Marşlar siliniyor.", false},
                   {"Müzik", "Müzikler siliniyor.", true},
                   {"Kaldır", "Geçici dosyalar siliniyor.", false}};
    for (const auto& f : folders) {
        if (f.keptByAddedFiles && option != 0)
            continue;
        const QString folder = QStringLiteral("/") + QString::fromUtf8(f.folder);
        steps.push_back(act(Step::DeleteFiles, folder));
        steps.push_back(wait(0.2, QString::fromUtf8(f.caption)));
        steps.push_back(act(Step::RemoveFolder, folder));
    }
    steps.push_back(act(Step::DeleteFiles));
    steps.push_back(wait(0.2, QStringLiteral("Ana klasör siliniyor.")));
    if (option == 0)
        steps.push_back(act(Step::RemoveFolder));
    return steps;
}

void deleteFiles(const QString& folder) {
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        // A link is removed itself, whatever it points at; real folders stay.
        if (entry.isSymLink() || (entry.isFile() && !entry.isDir()))
            QFile::remove(entry.absoluteFilePath());
    }
}

namespace {
// A folder of the installation as it stands right now: a real folder (not a
// link) whose resolved place is `installFolder` itself or directly in it.
bool isOwnFolder(const QString& path, const QString& installFolder) {
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isDir())
        return false;
    const QString resolved = info.canonicalFilePath();
    return resolved == installFolder || QFileInfo(resolved).absolutePath() == installFolder;
}
} // namespace

bool run(const std::vector<Step>& steps, const QString& installFolder,
         const std::function<bool(double, const QString&)>& wait) {
    // Worked out from the resolved place of the folder that holds the
    // installation; the installation folder itself may be a link, and then
    // only the link goes.
    const QFileInfo given(QDir::cleanPath(installFolder));
    const QString parent = QFileInfo(given.absolutePath()).canonicalFilePath();
    if (parent.isEmpty() || given.fileName().isEmpty())
        return true; // gone already: nothing of it to remove
    const QString install = parent + QLatin1Char('/') + given.fileName();
    for (const Step& step : steps) {
        const QString path = install + step.path;
        switch (step.kind) {
        case Step::DeleteFiles:
            // Checked again right before: a folder swapped for a link since is left alone.
            if (isOwnFolder(path, install))
                deleteFiles(path);
            break;
        case Step::RemoveFolder:
            if (QFileInfo(path).isSymLink())
                QFile::remove(path); // the link goes, never what it points at
            else if (isOwnFolder(path, install))
                QDir().rmdir(path); // only an empty folder goes
            break;
        case Step::DeleteAutostart:
            QFile::remove(silpaths::autostartEntry());
            break;
        case Step::DeleteSettings:
            silstore::removeAll();
            break;
        case Step::Wait:
            if (!wait(step.seconds, step.caption))
                return false;
            break;
        }
    }
    return true;
}

} // namespace removal

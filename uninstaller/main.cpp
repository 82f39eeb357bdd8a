// sil: removes an installation of Velmar Dorl. Started from the
// installation's "Kaldır" folder it records the installation folder, copies
// itself as "sill" into a folder private to the user, starts that copy and
// ends; the copy shows the window and does the removal.
#include "SilPaths.h"
#include "SilStore.h"
#include "SilWindow.h"
#include "Stages.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QString self = QCoreApplication::applicationFilePath();

    if (!stages::isCopy(self)) {
        return stages::runFirst(
            self,
            [](const QString& text) {
                QMessageBox::warning(nullptr, QStringLiteral("Velmar Dorl"), text);
            },
            [](const QString& copy) { return QProcess::startDetached(copy, {}); });
    }

    const QString install =
        silstore::read(QStringLiteral("silPath"), silpaths::defaultInstallFolder());
    SilWindow window(install);
    QObject::connect(&window, &SilWindow::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    return app.exec();
}

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

#include <clocale>
#include <cstring>
#include <langinfo.h>

namespace {
// Qt 6 takes file names as UTF-8 whatever the locale, but Xlib writes a
// window's legacy title (WM_NAME) in the locale's encoding: started with no
// locale (a menu of a session without one), a title's Turkish letters came out
// there as Latin-1 mojibake. Such a start reads and writes characters as
// UTF-8: C.UTF-8 is always there on Debian.
void useUtf8Characters() {
    std::setlocale(LC_ALL, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
        return;
    qputenv(qEnvironmentVariableIsEmpty("LC_ALL") ? "LC_CTYPE" : "LC_ALL", "C.UTF-8");
    std::setlocale(LC_ALL, "");
}
} // namespace

int main(int argc, char* argv[]) {
    useUtf8Characters();
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

#include "platform/QtDesktopShell.h"

#include <QDesktopServices>
#include <QUrl>

void QtDesktopShell::open(const QString& pathOrUrl) {
    const QUrl url =
        pathOrUrl.contains(QLatin1String("://")) ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl);
    QDesktopServices::openUrl(url); // a failure is silent by design
}

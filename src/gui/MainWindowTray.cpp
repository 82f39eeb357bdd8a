#include "gui/MainWindow.h"

#include "gui/TrayIcon.h"
#include "platform/EventLog.h"

#include <QAction>
#include <QCloseEvent>
#include <QTabWidget>

// Where the main window lives: hidden in the tray where there is one,
// minimized otherwise, and shown on its first tab when asked for.

void MainWindow::showOnFirstTab() {
    tabs_->setCurrentIndex(0);
    show();
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (quitting_) {
        hide();
        event->accept();
        return;
    }
    event->ignore();
    if (trayShown())
        hide();
    else
        showMinimized(); // stays on the task bar
}

bool MainWindow::trayShown() const {
    return platform_.tray && platform_.tray->available();
}

void MainWindow::trayAvailabilityChanged(bool available) {
    exitAction_->setVisible(!available);
    eventlog::info(available
                       ? QStringLiteral("Bildirim alanı geldi")
                       : QStringLiteral("Bildirim alanı yok: pencere simge durumunda kalıyor"));
    if (!available && !isVisible() && !ended_)
        showMinimized();
    // A window minimized for want of a tray goes into the one that came.
    if (available && isVisible() && (windowState() & Qt::WindowMinimized) && !ended_)
        hide();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) &&
        trayShown()) {
        // A minimised window lives in the notification area only.
        QMetaObject::invokeMethod(
            this,
            [this] {
                hide();
                setWindowState(windowState() & ~Qt::WindowMinimized);
            },
            Qt::QueuedConnection);
    }
}

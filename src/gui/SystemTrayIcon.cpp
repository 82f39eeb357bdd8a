#include "gui/SystemTrayIcon.h"

#include "core/TrayTips.h"
#include "gui/ProgramIcon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMenu>

SystemTrayIcon::SystemTrayIcon(QObject* parent)
    : QObject(parent), menu_(new QMenu),
      still_(programIcon()), frames_{blinkFrame(0), blinkFrame(1)} {
    setObjectName(QStringLiteral("frmSysTray"));
    menu_->setObjectName(QStringLiteral("menu"));
    QAction* main = menu_->addAction(QStringLiteral("Ana Pencere"));
    main->setObjectName(QStringLiteral("main"));
    QAction* about = menu_->addAction(QStringLiteral("Hakkında"));
    about->setObjectName(QStringLiteral("Hakkında"));
    QAction* exit = menu_->addAction(QStringLiteral("Çıkış"));
    exit->setObjectName(QStringLiteral("exit"));
    connect(main, &QAction::triggered, this, [this] {
        if (commands_.showMainWindow)
            commands_.showMainWindow();
    });
    connect(about, &QAction::triggered, this, [this] {
        if (commands_.showAbout)
            commands_.showAbout();
    });
    connect(exit, &QAction::triggered, this, [this] {
        if (commands_.exitProgram)
            commands_.exitProgram();
    });
    // The menu opens on the right button's release, at the mouse.
    icon_.setContextMenu(menu_);
    icon_.setIcon(still_);
    icon_.setToolTip(traytips::idle());
    connect(&icon_, &QSystemTrayIcon::activated, this, &SystemTrayIcon::iconActivated);

    available_ = QSystemTrayIcon::isSystemTrayAvailable();
    // Asked again only when the desktop tells of a change: no polling while hidden.
    trayCheck_.setSingleShot(true);
    trayCheck_.setInterval(kTraySettleMs);
    connect(&trayCheck_, &QTimer::timeout, this, &SystemTrayIcon::checkTray);
    connect(&trayWatch_, &TrayWatch::changed, &trayCheck_, qOverload<>(&QTimer::start));

    blinkTimer_.setObjectName(QStringLiteral("tmrAni"));
    blinkTimer_.setInterval(kFrameIntervalMs);
    connect(&blinkTimer_, &QTimer::timeout, this, &SystemTrayIcon::showNextFrame);
}

SystemTrayIcon::~SystemTrayIcon() {
    icon_.hide();
    delete menu_;
}

void SystemTrayIcon::addIcon() {
    icon_.setIcon(still_);
    icon_.setToolTip(traytips::idle());
    icon_.show();
}

void SystemTrayIcon::removeIcon() {
    icon_.hide();
}

void SystemTrayIcon::setTip(const QString& tip) {
    icon_.setToolTip(tip.left(traytips::kMaxLength));
}

void SystemTrayIcon::setAnimating(bool animating) {
    if (animating) {
        if (!blinkTimer_.isActive())
            blinkTimer_.start();
        return;
    }
    blinkTimer_.stop();
    icon_.setIcon(still_);
}

void SystemTrayIcon::iconActivated(QSystemTrayIcon::ActivationReason reason) {
    // Single left clicks, the middle button and anything else do nothing.
    const bool open = reason == QSystemTrayIcon::DoubleClick ||
                      (reason == QSystemTrayIcon::Trigger && statusNotifierTray());
    if (open && commands_.showMainWindow)
        commands_.showMainWindow();
}

// Qt talks StatusNotifierItem when a watcher runs on the session bus; a
// click then comes as Trigger, never as DoubleClick.
bool SystemTrayIcon::statusNotifierTray() {
    const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

void SystemTrayIcon::checkTray() {
    const bool now = QSystemTrayIcon::isSystemTrayAvailable();
    if (now == available_)
        return;
    available_ = now;
    if (available_ && icon_.isVisible()) {
        icon_.hide(); // shown afresh on the new tray
        icon_.show();
    }
    if (commands_.trayAvailabilityChanged)
        commands_.trayAvailabilityChanged(available_);
}

void SystemTrayIcon::showNextFrame() {
    frame_ = nextFrame(frame_);
    icon_.setIcon(frames_[frame_]);
}

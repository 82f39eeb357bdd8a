#include "gui/frmSysTray.h"

#include "core/TrayTips.h"
#include "gui/ProgramIcon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMenu>

frmSysTray::frmSysTray(QObject* parent)
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
    connect(&icon_, &QSystemTrayIcon::activated, this, &frmSysTray::Form_MouseMove);

    available_ = QSystemTrayIcon::isSystemTrayAvailable();
    // Asked again only when the desktop tells of a change: no polling while hidden.
    trayCheck_.setSingleShot(true);
    trayCheck_.setInterval(kTraySettleMs);
    connect(&trayCheck_, &QTimer::timeout, this, &frmSysTray::checkTray);
    connect(&trayWatch_, &TrayWatch::changed, &trayCheck_, qOverload<>(&QTimer::start));

    tmrAni_.setObjectName(QStringLiteral("tmrAni"));
    tmrAni_.setInterval(kFrameIntervalMs);
    connect(&tmrAni_, &QTimer::timeout, this, &frmSysTray::tmrAni_Timer);
}

frmSysTray::~frmSysTray() {
    icon_.hide();
    delete menu_;
}

void frmSysTray::addIcon() {
    icon_.setIcon(still_);
    icon_.setToolTip(traytips::idle());
    icon_.show();
}

void frmSysTray::removeIcon() {
    icon_.hide();
}

void frmSysTray::setTip(const QString& tip) {
    icon_.setToolTip(tip.left(traytips::kMaxLength));
}

void frmSysTray::setAnimating(bool animating) {
    if (animating) {
        if (!tmrAni_.isActive())
            tmrAni_.start();
        return;
    }
    tmrAni_.stop();
    icon_.setIcon(still_);
}

void frmSysTray::Form_MouseMove(QSystemTrayIcon::ActivationReason reason) {
    // Single left clicks, the middle button and anything else do nothing.
    const bool open = reason == QSystemTrayIcon::DoubleClick ||
                      (reason == QSystemTrayIcon::Trigger && statusNotifierTray());
    if (open && commands_.showMainWindow)
        commands_.showMainWindow();
}

// Qt talks StatusNotifierItem when a watcher runs on the session bus; a
// click then comes as Trigger, never as DoubleClick.
bool frmSysTray::statusNotifierTray() {
    const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

void frmSysTray::checkTray() {
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

void frmSysTray::tmrAni_Timer() {
    frame_ = nextFrame(frame_);
    icon_.setIcon(frames_[frame_]);
}

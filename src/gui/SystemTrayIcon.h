#pragma once

#include "gui/TrayIcon.h"
#include "platform/TrayWatch.h"

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

class QMenu;

// The tray icon on QSystemTrayIcon: a double click shows the main window, the
// right button opens the menu "Ana Pencere", "Hakkında", "Çıkış"; single left
// clicks and the middle button do nothing, except on a StatusNotifierItem
// tray, which reports every click as a single one. While a sound plays the icon
// blinks between two frames every 300 ms.
class SystemTrayIcon final : public QObject, public TrayIcon {
    Q_OBJECT
public:
    static constexpr int kFrameIntervalMs = 300;

    explicit SystemTrayIcon(QObject* parent = nullptr);
    ~SystemTrayIcon() override;

    void setCommands(TrayCommands commands) override { commands_ = std::move(commands); }
    void addIcon() override;
    void removeIcon() override;
    void setTip(const QString& tip) override;
    void setAnimating(bool animating) override;
    bool available() const override { return available_; }
    // After the desktop tells of a tray coming or going, the time its own
    // messages (the old tray window's end, a new watcher's host) take to arrive.
    static constexpr int kTraySettleMs = 250;

    // The frame counter's next value: 0, 1, 0, 1, ...
    static int nextFrame(int frame) { return frame + 1 >= 2 ? 0 : frame + 1; }
    int frame() const { return frame_; }
    bool animating() const { return blinkTimer_.isActive(); }
    QSystemTrayIcon& icon() { return icon_; }
    QMenu* menu() const { return menu_; }

private:
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
    void showNextFrame();
    void checkTray();
    static bool statusNotifierTray();

    QSystemTrayIcon icon_;
    QMenu* menu_;
    QTimer blinkTimer_;
    TrayWatch trayWatch_;
    QTimer trayCheck_;
    bool available_ = false;
    QIcon still_;
    QIcon frames_[2];
    int frame_ = 0;
    TrayCommands commands_;
};

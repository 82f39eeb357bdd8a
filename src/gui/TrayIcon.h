#pragma once

#include <QString>

#include <functional>

// What the tray's menu and mouse can ask of the program.
struct TrayCommands {
    std::function<void()> showMainWindow; // double click, "Ana Pencere"
    std::function<void()> showAbout;      // "Hakkında"
    std::function<void()> exitProgram;    // "Çıkış"
    // A tray appeared (true) or went away (false) on the desktop.
    std::function<void(bool)> trayAvailabilityChanged;
};

// The notification-area icon.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    virtual void setCommands(TrayCommands commands) = 0;
    virtual void addIcon() = 0;
    virtual void removeIcon() = 0;
    virtual void setTip(const QString& tip) = 0;
    // Blinking between the two frames while a sound plays; the still icon otherwise.
    virtual void setAnimating(bool animating) = 0;
    // Whether the desktop shows tray icons at all (GNOME does not without an extension).
    virtual bool available() const = 0;
};

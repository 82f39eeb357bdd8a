#pragma once

#include <QString>

// The notification-area icon.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    virtual void addIcon() = 0;
    virtual void removeIcon() = 0;
    virtual void setTip(const QString& tip) = 0;
    // Blinking between the two frames while a sound plays; the still icon otherwise.
    virtual void setAnimating(bool animating) = 0;
};

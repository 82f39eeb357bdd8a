#pragma once

#include <QByteArray>

// The program places its windows (the notice at the bottom right) and brings
// itself to the front when started twice; Wayland allows neither. Where the
// session offers X11 through XWayland, Qt is sent there, unless the user
// chose a platform with QT_QPA_PLATFORM.
namespace displayserver {

// Whether to choose "xcb", from the values of QT_QPA_PLATFORM,
// XDG_SESSION_TYPE, WAYLAND_DISPLAY and DISPLAY.
bool wantsXWayland(const QByteArray& qpaPlatform, const QByteArray& sessionType,
                   const QByteArray& waylandDisplay, const QByteArray& display);

// Sets QT_QPA_PLATFORM=xcb when wantsXWayland(); before QApplication.
void chooseXWaylandWhereOffered();

} // namespace displayserver

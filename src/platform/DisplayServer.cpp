#include "platform/DisplayServer.h"

#include <QtGlobal>

namespace displayserver {

bool wantsXWayland(const QByteArray& qpaPlatform, const QByteArray& sessionType,
                   const QByteArray& waylandDisplay, const QByteArray& display) {
    if (!qpaPlatform.isEmpty() || display.isEmpty())
        return false;
    return sessionType == "wayland" || !waylandDisplay.isEmpty();
}

void chooseXWaylandWhereOffered() {
    if (wantsXWayland(qgetenv("QT_QPA_PLATFORM"), qgetenv("XDG_SESSION_TYPE"),
                      qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY")))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace displayserver

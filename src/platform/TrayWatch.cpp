#include "platform/TrayWatch.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>

namespace {
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

xcb_connection_t* x11Connection() {
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
} // namespace

TrayWatch::TrayWatch(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        statusNotifier_.setConnection(bus);
        statusNotifier_.setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
        statusNotifier_.addWatchedService(kWatcher);
        connect(&statusNotifier_, &QDBusServiceWatcher::serviceOwnerChanged, this,
                &TrayWatch::changed);
        // A watcher without a host shows nothing: the hosts count too.
        for (const char* signal :
             {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
            bus.connect(kWatcher, QStringLiteral("/StatusNotifierWatcher"), kWatcher,
                        QLatin1String(signal), this, SLOT(hostsChanged()));
    }
    watchX11();
}

TrayWatch::~TrayWatch() {
    if (selection_ != 0 && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

int TrayWatch::screenOf(const QByteArray& display) {
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon + 1);
    if (colon < 0 || dot < 0)
        return 0;
    bool ok = false;
    const int screen = display.mid(dot + 1).toInt(&ok);
    return ok && screen >= 0 ? screen : 0;
}

void TrayWatch::watchX11() {
    xcb_connection_t* c = x11Connection();
    if (!c)
        return;
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    // Each client states the version it speaks before its first request.
    free(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 1, 0), nullptr));

    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int n = screenOf(qgetenv("DISPLAY")); n > 0 && it.rem > 1; --n)
        xcb_screen_next(&it);
    if (!it.data)
        return;
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenOf(qgetenv("DISPLAY")));
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr);
    if (!atom)
        return;
    selection_ = atom->atom;
    free(atom);
    selectionEvent_ = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    QCoreApplication::instance()->installNativeEventFilter(this);
    xcb_xfixes_select_selection_input(c, it.data->root, selection_,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(c);
}

bool TrayWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != selectionEvent_)
        return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection == selection_)
        emit changed();
    return false; // Qt sees it too
}

void TrayWatch::hostsChanged() {
    emit changed();
}

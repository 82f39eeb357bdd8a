#include "platform/IdleInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const QString kWho = QStringLiteral("Velmar Dorl");
const QString kWhy = QStringLiteral("Okul zilleri çalacak");

QDBusMessage inhibitCall(int service) {
    switch (service) {
    case 0: {
        QDBusMessage m = QDBusMessage::createMethodCall(
            QStringLiteral("org.gnome.SessionManager"), QStringLiteral("/org/gnome/SessionManager"),
            QStringLiteral("org.gnome.SessionManager"), QStringLiteral("Inhibit"));
        // 4: suspend. The screen still blanks and locks; 8 (idle) would stop that.
        m << kWho << uint(0) << kWhy << uint(4);
        return m;
    }
    case 1: {
        QDBusMessage m = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.PowerManagement"),
            QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"),
            QStringLiteral("org.freedesktop.PowerManagement.Inhibit"), QStringLiteral("Inhibit"));
        m << kWho << kWhy;
        return m;
    }
    default: {
        QDBusMessage m = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
        m << QStringLiteral("sleep") << kWho << kWhy << QStringLiteral("block");
        return m;
    }
    }
}
} // namespace

DBusIdleInhibitor::DBusIdleInhibitor(QObject* parent) : QObject(parent) {}

DBusIdleInhibitor::~DBusIdleInhibitor() {
    wanted_ = false;
    release();
}

void DBusIdleInhibitor::hold(bool on) {
    if (on == wanted_)
        return;
    wanted_ = on;
    if (on && !asking_ && service_ == None)
        request(Gnome);
    else if (!on && !asking_)
        release();
}

void DBusIdleInhibitor::request(Service service) {
    if (service == None) {
        asking_ = false; // nothing on this desktop to ask
        return;
    }
    QDBusConnection bus =
        service == Logind ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        request(static_cast<Service>(service + 1));
        return;
    }
    asking_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(inhibitCall(service)), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, service](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusMessage reply = call->reply();
                if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
                    request(static_cast<Service>(service + 1));
                    return;
                }
                asking_ = false;
                const QVariant value = reply.arguments().constFirst();
                granted(service, value.toUInt(), qvariant_cast<QDBusUnixFileDescriptor>(value));
            });
}

void DBusIdleInhibitor::granted(Service service, uint cookie, const QDBusUnixFileDescriptor& fd) {
    service_ = service;
    cookie_ = cookie;
    fd_ = fd;
    holder_ = service == Gnome  ? QStringLiteral("gnome")
              : service == Xfce ? QStringLiteral("xfce")
                                : QStringLiteral("logind");
    if (!wanted_)
        release(); // let go while the answer was on its way
}

void DBusIdleInhibitor::release() {
    if (service_ == Gnome || service_ == Xfce) {
        const bool gnome = service_ == Gnome;
        QDBusMessage m =
            gnome ? QDBusMessage::createMethodCall(QStringLiteral("org.gnome.SessionManager"),
                                                   QStringLiteral("/org/gnome/SessionManager"),
                                                   QStringLiteral("org.gnome.SessionManager"),
                                                   QStringLiteral("Uninhibit"))
                  : QDBusMessage::createMethodCall(
                        QStringLiteral("org.freedesktop.PowerManagement"),
                        QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"),
                        QStringLiteral("org.freedesktop.PowerManagement.Inhibit"),
                        QStringLiteral("UnInhibit"));
        m << cookie_;
        QDBusConnection::sessionBus().asyncCall(m);
    }
    fd_ = QDBusUnixFileDescriptor(); // logind lets go when its descriptor is closed
    service_ = None;
    holder_.clear();
}

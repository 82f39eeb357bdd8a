#include "platform/ClockSync.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace {
const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");
} // namespace

ClockSync::ClockSync(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    bus.connect(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("PropertiesChanged"), this,
                SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    hourly_.setInterval(60 * 60 * 1000);
    connect(&hourly_, &QTimer::timeout, this, &ClockSync::check);
    hourly_.start();
    check();
}

void ClockSync::check() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kService << QStringLiteral("NTPSynchronized");
    auto* call = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(get), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            set(std::nullopt); // no such service: nothing is known
            return;
        }
        set(qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool());
    });
}

void ClockSync::onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                    const QStringList& invalidated) {
    if (interface != kService)
        return;
    if (changed.contains(QStringLiteral("NTPSynchronized")))
        set(changed.value(QStringLiteral("NTPSynchronized")).toBool());
    else if (invalidated.contains(QStringLiteral("NTPSynchronized")))
        check();
}

void ClockSync::set(std::optional<bool> value) {
    if (value == synchronized_)
        return;
    synchronized_ = value;
    emit changed();
}

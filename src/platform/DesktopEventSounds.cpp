// GLib first: Qt defines "signals" as a macro, which GIO uses as a name.
#include <gio/gio.h>

#include "platform/DesktopEventSounds.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>
#include <QTimer>

namespace {
constexpr int kDbusTimeoutMs = 2000;
constexpr int kDelayMs = 1000;
} // namespace

bool DesktopEventSounds::silenceGSettings() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return false;
    // Creating settings for a schema that is not installed aborts the process.
    GSettingsSchema* schema =
        g_settings_schema_source_lookup(source, "org.gnome.desktop.sound", TRUE);
    if (!schema)
        return false;
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    bool changed = false;
    for (const char* key : {"event-sounds", "input-feedback-sounds"}) {
        if (g_settings_schema_has_key(schema, key))
            changed = g_settings_set_boolean(settings, key, FALSE) || changed;
    }
    g_settings_sync();
    g_object_unref(settings);
    g_settings_schema_unref(schema);
    return changed;
}

bool DesktopEventSounds::silenceXfconf() {
    // Elsewhere a call would only start xfconfd for nothing.
    if (!qEnvironmentVariable("XDG_CURRENT_DESKTOP")
             .contains(QLatin1String("XFCE"), Qt::CaseInsensitive))
        return false;
    // Only an existing session bus: never start one at log-on just for this.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        !QFile::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/bus")))
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QString service = QStringLiteral("org.xfce.Xfconf");
    const bool running = bus.interface()->isServiceRegistered(service);
    const bool startable = bus.interface()->activatableServiceNames().value().contains(service);
    if (!running && !startable)
        return false;
    // A plain call: an interface object would first fetch and parse the
    // service's whole introspection.
    bool all = true;
    for (const char* property : {"/Net/EnableEventSounds", "/Net/EnableInputFeedbackSounds"}) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            service, QStringLiteral("/org/xfce/Xfconf"), service, QStringLiteral("SetProperty"));
        call << QStringLiteral("xsettings") << QString::fromLatin1(property)
             << QVariant::fromValue(QDBusVariant(false));
        const QDBusMessage reply = bus.call(call, QDBus::Block, kDbusTimeoutMs);
        all = all && reply.type() == QDBusMessage::ReplyMessage;
    }
    return all;
}

void DesktopEventSounds::silence() {
    // Nothing here is urgent: it waits until the program is up, so neither a
    // second process nor a D-Bus round holds up a start at log-on.
    QTimer::singleShot(kDelayMs, [] {
        // GIO's settings backend brings a D-Bus thread and 2 MB that would
        // stay with the program in the tray all day: a copy of the program
        // started for this alone does it and ends (see main.cpp).
        if (!QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                     {QString::fromLatin1(kGSettingsArgument)}))
            silenceGSettings();
        silenceXfconf();
    });
}

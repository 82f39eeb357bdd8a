#include "platform/WakeAlarm.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const QString kService = QStringLiteral("org.freedesktop.systemd1");
const QString kPath = QStringLiteral("/org/freedesktop/systemd1");
const QString kManager = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString kPrefix = QStringLiteral("velmar-dorl-wake@");
const QString kSuffix = QStringLiteral(".timer");

QDBusMessage managerCall(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kManager, method);
}

// systemd's escaping of a unit's instance name (systemd-escape).
QString escaped(const QString& text) {
    QString out;
    const QByteArray bytes = text.toUtf8();
    for (int i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == ':' || c == '_' || (c == '.' && i > 0);
        if (plain)
            out += QLatin1Char(c);
        else if (c == '/')
            out += QLatin1Char('-');
        else
            out += QStringLiteral("\\x%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0'));
    }
    return out;
}

// The name of each unit in a ListUnitsByPatterns reply, a(ssssssouso).
QStringList unitNames(const QDBusMessage& reply) {
    QStringList names;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return names;
    const QDBusArgument units = reply.arguments().constFirst().value<QDBusArgument>();
    units.beginArray();
    while (!units.atEnd()) {
        QString name, description, load, active, sub, following, jobType, jobPath;
        QDBusObjectPath path, job;
        uint jobId = 0;
        units.beginStructure();
        units >> name >> description >> load >> active >> sub >> following >> path >> jobId >>
            jobType >> job;
        units.endStructure();
        names << name;
    }
    units.endArray();
    return names;
}
} // namespace

SystemdWakeAlarm::SystemdWakeAlarm(QObject* parent) : WakeAlarm(parent) {}

QString SystemdWakeAlarm::unitFor(const QDateTime& when) {
    return kPrefix + escaped(when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))) + kSuffix;
}

void SystemdWakeAlarm::set(const QDateTime& when) {
    if (when == wanted_ && (armed_ == when || busy_))
        return;
    wanted_ = when;
    if (!busy_)
        stopOthersThenStart();
}

void SystemdWakeAlarm::clear() {
    set(QDateTime());
}

// The list is asked every time: a timer left by an earlier run (or one that
// ended without clearing) is stopped too, so exactly one stays set.
void SystemdWakeAlarm::stopOthersThenStart() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        finish({}, QStringLiteral("sistem D-Bus'ı yok"));
        return;
    }
    busy_ = true;
    QDBusMessage list = managerCall(QStringLiteral("ListUnitsByPatterns"));
    list << QStringList() << QStringList{kPrefix + QStringLiteral("*") + kSuffix};
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(list), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        if (reply.type() == QDBusMessage::ErrorMessage) {
            finish({}, reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage());
            return;
        }
        const QString target = wanted_.isValid() ? unitFor(wanted_) : QString();
        QDBusConnection bus = QDBusConnection::systemBus();
        for (const QString& name : unitNames(reply)) {
            if (name == target)
                continue;
            QDBusMessage stop = managerCall(QStringLiteral("StopUnit"));
            stop << name << QStringLiteral("replace");
            bus.asyncCall(stop);
        }
        start();
    });
}

void SystemdWakeAlarm::start() {
    const QDateTime when = wanted_;
    if (!when.isValid()) {
        finish({}, {});
        return;
    }
    QDBusMessage call = managerCall(QStringLiteral("StartUnit"));
    call << unitFor(when) << QStringLiteral("replace");
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, when](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusMessage reply = w->reply();
                if (reply.type() == QDBusMessage::ErrorMessage)
                    finish({}, reply.errorMessage().isEmpty() ? reply.errorName()
                                                              : reply.errorMessage());
                else
                    finish(when, {});
            });
}

void SystemdWakeAlarm::finish(const QDateTime& armed, const QString& problem) {
    busy_ = false;
    if (wanted_ != armed && problem.isEmpty() && (armed.isValid() || wanted_.isValid())) {
        stopOthersThenStart(); // asked for another moment meanwhile
        return;
    }
    const bool news = armed != armed_ || problem != problem_;
    armed_ = armed;
    problem_ = problem;
    if (news)
        emit changed();
}

#include "platform/ClockSync.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

namespace {
const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");
} // namespace

ClockSync::ClockSync(QObject* parent, std::chrono::milliseconds recheckWhileUnsynchronized)
    : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    bus.connect(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("PropertiesChanged"), this,
                SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    hourly_.setInterval(60 * 60 * 1000);
    connect(&hourly_, &QTimer::timeout, this, &ClockSync::check);
    hourly_.start();
    whileUnsynchronized_.setInterval(recheckWhileUnsynchronized);
    connect(&whileUnsynchronized_, &QTimer::timeout, this, &ClockSync::check);
    clockSetFd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (clockSetFd_ >= 0) {
        clockSetNotifier_ = std::make_unique<QSocketNotifier>(clockSetFd_, QSocketNotifier::Read);
        connect(clockSetNotifier_.get(), &QSocketNotifier::activated, this, &ClockSync::onClockSet);
        watchClockSet();
    }
    check();
}

ClockSync::~ClockSync() {
    clockSetNotifier_.reset();
    if (clockSetFd_ >= 0)
        ::close(clockSetFd_);
}

void ClockSync::watchClockSet() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    itimerspec far{};
    far.it_value.tv_sec = now.tv_sec + 365L * 24 * 60 * 60;
    ::timerfd_settime(clockSetFd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr);
}

void ClockSync::onClockSet() {
    std::uint64_t expirations = 0;
    if (::read(clockSetFd_, &expirations, sizeof(expirations)) < 0 && errno == EAGAIN)
        return;
    // Set (ECANCELED), or a year went by: watch again either way.
    watchClockSet();
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
    // Asked again every few minutes only while the answer is "no".
    if (value == false)
        whileUnsynchronized_.start();
    else
        whileUnsynchronized_.stop();
    if (value == synchronized_)
        return;
    synchronized_ = value;
    emit changed();
}

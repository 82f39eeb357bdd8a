#include "platform/SessionEvents.h"

#include <QDBusConnection>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace {
int signalPipe[2] = {-1, -1};

// Only writes a byte: everything else happens on the event loop.
void onUnixSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

const char* nameOf(int number) {
    switch (number) {
    case SIGTERM:
        return "SIGTERM";
    case SIGINT:
        return "SIGINT";
    default:
        return "SIGHUP";
    }
}
} // namespace

SessionEvents::SessionEvents(QObject* parent) : QObject(parent) {
    if (signalPipe[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, signalPipe) != 0)
        signalPipe[0] = signalPipe[1] = -1;
    if (signalPipe[0] >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &SessionEvents::onSignal);
        struct sigaction action {};
        action.sa_handler = onUnixSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int number : {SIGTERM, SIGINT, SIGHUP})
            ::sigaction(number, &action, nullptr);
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected()) {
        const QString service = QStringLiteral("org.freedesktop.login1");
        const QString path = QStringLiteral("/org/freedesktop/login1");
        const QString manager = QStringLiteral("org.freedesktop.login1.Manager");
        bus.connect(service, path, manager, QStringLiteral("PrepareForShutdown"), this,
                    SLOT(onPrepareForShutdown(bool)));
        bus.connect(service, path, manager, QStringLiteral("PrepareForSleep"), this,
                    SLOT(onPrepareForSleep(bool)));
    }
}

SessionEvents::~SessionEvents() {
    if (signalPipe[0] < 0)
        return;
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        ::signal(number, SIG_DFL);
}

void SessionEvents::onSignal() {
    char byte = 0;
    int last = 0;
    while (::read(signalPipe[0], &byte, 1) == 1)
        last = byte;
    if (last)
        emit endRequested(QString::fromLatin1(nameOf(last)));
}

void SessionEvents::onPrepareForShutdown(bool start) {
    if (start)
        emit endRequested(QStringLiteral("kapanış"));
}

void SessionEvents::onPrepareForSleep(bool start) {
    emit sleeping(start);
}

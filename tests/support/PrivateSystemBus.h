#pragma once

#include <QProcess>
#include <QString>

// A bus of the test's own, set up as the system bus of this process
// (DBUS_SYSTEM_BUS_ADDRESS), for stand-ins of logind and systemd. Made
// before the first use of the system bus, and ended with the test.
class PrivateSystemBus {
public:
    PrivateSystemBus() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        if (!daemon_.waitForStarted(5000) || !daemon_.waitForReadyRead(5000))
            return;
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address_.toUtf8());
    }
    ~PrivateSystemBus() {
        daemon_.kill();
        daemon_.waitForFinished(2000);
    }
    const QString& address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

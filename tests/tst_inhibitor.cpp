// The sleep inhibitor and the wake-up against stand-in desktop services on
// the tests' own session bus and stand-ins of logind and systemd on a
// private system bus, which record what they are asked.
#include "platform/IdleInhibitor.h"
#include "platform/WakeAlarm.h"
#include "support/PrivateSystemBus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMetaType>
#include <QDBusUnixFileDescriptor>
#include <QtTest>

#include <unistd.h>

class Logind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    QStringList calls;
public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString&,
                                    const QString& mode) {
        calls << QStringLiteral("Inhibit %1 %2 %3").arg(what, who, mode);
        int fds[2];
        if (::pipe(fds) != 0)
            return {};
        ::close(fds[1]);
        QDBusUnixFileDescriptor fd(fds[0]);
        ::close(fds[0]);
        return fd;
    }
};

// One row of ListUnitsByPatterns, a(ssssssouso).
struct UnitRow {
    QString name;
};
Q_DECLARE_METATYPE(UnitRow)
QDBusArgument& operator<<(QDBusArgument& arg, const UnitRow& row) {
    arg.beginStructure();
    arg << row.name << QString() << QStringLiteral("loaded") << QStringLiteral("active")
        << QStringLiteral("waiting") << QString() << QDBusObjectPath("/unit") << uint(0)
        << QString() << QDBusObjectPath("/");
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, UnitRow& row) {
    QString s;
    QDBusObjectPath p;
    uint u;
    arg.beginStructure();
    arg >> row.name >> s >> s >> s >> s >> s >> p >> u >> s >> p;
    arg.endStructure();
    return arg;
}

// systemd's manager as far as the wake-up needs it: timers started and stopped.
class Systemd : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.systemd1.Manager")
public:
    QStringList calls;
    QStringList running{QStringLiteral("velmar-dorl-wake@2020\\x2d01\\x2d01\\x2008:00:00.timer")};
    bool refuse = false;
public slots:
    QList<UnitRow> ListUnitsByPatterns(const QStringList&, const QStringList& patterns) {
        calls << QStringLiteral("List ") + patterns.join(',');
        QList<UnitRow> rows;
        for (const QString& name : running)
            rows << UnitRow{name};
        return rows;
    }
    QDBusObjectPath StartUnit(const QString& name, const QString&) {
        calls << QStringLiteral("Start ") + name;
        if (refuse) {
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("Access denied"));
            return {};
        }
        running << name;
        return QDBusObjectPath("/job/1");
    }
    QDBusObjectPath StopUnit(const QString& name, const QString&) {
        calls << QStringLiteral("Stop ") + name;
        running.removeAll(name);
        return QDBusObjectPath("/job/2");
    }
};

class GnomeSessionManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.SessionManager")
public:
    QStringList calls;
public slots:
    uint Inhibit(const QString& app, uint, const QString&, uint flags) {
        calls << QStringLiteral("Inhibit %1 %2").arg(app).arg(flags);
        return 42;
    }
    void Uninhibit(uint cookie) { calls << QStringLiteral("Uninhibit %1").arg(cookie); }
};

class XfcePowerManagement : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PowerManagement.Inhibit")
public:
    QStringList calls;
public slots:
    uint Inhibit(const QString& app, const QString&) {
        calls << QStringLiteral("Inhibit %1").arg(app);
        return 7;
    }
    void UnInhibit(uint cookie) { calls << QStringLiteral("UnInhibit %1").arg(cookie); }
};

// A service on a connection of its own, as another process would offer it.
template <class Service> struct StandIn {
    Service service;
    QDBusConnection bus;
    QString name;
    StandIn(const char* connection, const QString& serviceName, const QString& path)
        : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                            QString::fromLatin1(connection))),
          name(serviceName) {
        bus.registerObject(path, &service, QDBusConnection::ExportAllSlots);
        bus.registerService(name);
    }
    ~StandIn() {
        bus.unregisterService(name);
        QDBusConnection::disconnectFromBus(bus.name());
    }
};

class InhibitorTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus");
        QVERIFY(!system_.address().isEmpty());
        qDBusRegisterMetaType<UnitRow>();
        qDBusRegisterMetaType<QList<UnitRow>>();
    }

    void gnomeFirstWithTheSuspendFlag() {
        StandIn<GnomeSessionManager> gnome("gnome", "org.gnome.SessionManager",
                                           "/org/gnome/SessionManager");
        StandIn<XfcePowerManagement> xfce("xfce", "org.freedesktop.PowerManagement",
                                          "/org/freedesktop/PowerManagement/Inhibit");
        DBusIdleInhibitor inhibitor;
        inhibitor.hold(true);
        QTRY_COMPARE(inhibitor.holder(), QStringLiteral("gnome"));
        QCOMPARE(gnome.service.calls, QStringList{"Inhibit Velmar Dorl 4"}); // suspend, not idle
        inhibitor.hold(false);
        QTRY_COMPARE(gnome.service.calls.size(), 2);
        QCOMPARE(gnome.service.calls.last(), QStringLiteral("Uninhibit 42"));
        QVERIFY(xfce.service.calls.isEmpty());
    }

    void xfceWhenThereIsNoGnomeAndLetGoAtTheEnd() {
        StandIn<XfcePowerManagement> xfce("xfce2", "org.freedesktop.PowerManagement",
                                          "/org/freedesktop/PowerManagement/Inhibit");
        {
            DBusIdleInhibitor inhibitor;
            inhibitor.hold(true);
            QTRY_COMPARE(inhibitor.holder(), QStringLiteral("xfce"));
        }
        QTRY_COMPARE(xfce.service.calls, (QStringList{"Inhibit Velmar Dorl", "UnInhibit 7"}));
    }

    void logindWithTheSleepLockWhenNoDesktopAnswers() {
        Logind logind;
        QDBusConnection bus = QDBusConnection::connectToBus(system_.address(), "logind");
        bus.registerObject("/org/freedesktop/login1", &logind, QDBusConnection::ExportAllSlots);
        QVERIFY(bus.registerService("org.freedesktop.login1"));
        DBusIdleInhibitor inhibitor;
        inhibitor.hold(true);
        QTRY_COMPARE(inhibitor.holder(), QStringLiteral("logind"));
        QCOMPARE(logind.calls, QStringList{"Inhibit sleep Velmar Dorl block"});
        inhibitor.hold(false);
        QVERIFY(inhibitor.holder().isEmpty());
        bus.unregisterService("org.freedesktop.login1");
        QDBusConnection::disconnectFromBus("logind");
    }

    void exactlyOneWakeUpTimerStaysSet() {
        const QDateTime first(QDate(2027, 1, 4), QTime(8, 10));
        QCOMPARE(SystemdWakeAlarm::unitFor(first),
                 QStringLiteral("velmar-dorl-wake@2027\\x2d01\\x2d04\\x2008:10:00.timer"));
        Systemd systemd;
        QDBusConnection bus = QDBusConnection::connectToBus(system_.address(), "systemd");
        bus.registerObject("/org/freedesktop/systemd1", &systemd, QDBusConnection::ExportAllSlots);
        QVERIFY(bus.registerService("org.freedesktop.systemd1"));
        SystemdWakeAlarm alarm;
        alarm.set(first);
        QTRY_COMPARE(alarm.armedFor(), first);
        // The one an earlier run left is stopped; the new one is started.
        QCOMPARE(systemd.running, QStringList{SystemdWakeAlarm::unitFor(first)});

        const QDateTime moved = first.addSecs(-20 * 60); // the timetable changed
        alarm.set(moved);
        QTRY_COMPARE(alarm.armedFor(), moved);
        QCOMPARE(systemd.running, QStringList{SystemdWakeAlarm::unitFor(moved)});
        QCOMPARE(systemd.calls.filter("Start").size(), 2);

        systemd.refuse = true; // the polkit rule is missing
        alarm.set(first);
        QTRY_VERIFY(!alarm.problem().isEmpty());
        QVERIFY(!alarm.armedFor().isValid());
        bus.unregisterService("org.freedesktop.systemd1");
        QDBusConnection::disconnectFromBus("systemd");
    }

private:
    PrivateSystemBus system_;
};

QTEST_GUILESS_MAIN(InhibitorTest)
#include "tst_inhibitor.moc"

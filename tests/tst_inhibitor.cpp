// The idle inhibitor against stand-in desktop services on the tests' own
// session bus, which record what they are asked.
#include "platform/IdleInhibitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QtTest>

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
    }

    void gnomeFirstWithTheIdleFlag() {
        StandIn<GnomeSessionManager> gnome("gnome", "org.gnome.SessionManager",
                                           "/org/gnome/SessionManager");
        StandIn<XfcePowerManagement> xfce("xfce", "org.freedesktop.PowerManagement",
                                          "/org/freedesktop/PowerManagement/Inhibit");
        DBusIdleInhibitor inhibitor;
        inhibitor.hold(true);
        QTRY_COMPARE(inhibitor.holder(), QStringLiteral("gnome"));
        QCOMPARE(gnome.service.calls, QStringList{"Inhibit Velmar Dorl 8"});
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

    void nothingToAskIsPassedOver() {
        DBusIdleInhibitor inhibitor; // no stand-ins; logind is not on this machine's buses
        inhibitor.hold(true);
        QTest::qWait(200);
        inhibitor.hold(false);
        QVERIFY(inhibitor.holder().isEmpty() || inhibitor.holder() == QLatin1String("logind"));
    }
};

QTEST_GUILESS_MAIN(InhibitorTest)
#include "tst_inhibitor.moc"

// The clock warning against a stand-in org.freedesktop.timedate1: the test
// points the system bus address at its own session bus.
#include "core/TrayTips.h"
#include "platform/ClockSync.h"
#include "support/StartedForm.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QLabel>
#include <QtTest>

class TimeDate : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.timedate1")
    Q_PROPERTY(bool NTPSynchronized READ ntpSynchronized)
public:
    bool synced = false;
    bool ntpSynchronized() const { return synced; }
};

class ClockSyncTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("no session bus");
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", qgetenv("DBUS_SESSION_BUS_ADDRESS"));
    }

    void warningComesAndGoesWithTheTimeService() {
        TimeDate service;
        QDBusConnection bus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("timedate"));
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/timedate1"), &service,
                                   QDBusConnection::ExportAllProperties));
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.timedate1")));

        ClockSync sync;
        RecordingPlatform fakes;
        Platform platform = fakes.platform();
        platform.clockSync = &sync;
        TestFolders folders;
        SettingsStore store;
        Form1 form(platform, store);
        QVERIFY(form.Form_Load(contextFor(folders, 1000)));
        const auto* label = form.findChild<QLabel*>(QStringLiteral("lblTime"));
        QTRY_VERIFY(label->text().endsWith(QStringLiteral("Saat eşitlenmemiş")));
        QVERIFY(fakes.tray.calls.last().contains(QStringLiteral("Saat eşitlenmemiş")));

        service.synced = true; // the time service has set the clock
        QDBusMessage changed = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/timedate1"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
        changed << QStringLiteral("org.freedesktop.timedate1")
                << QVariantMap{{QStringLiteral("NTPSynchronized"), true}} << QStringList();
        bus.send(changed);
        QTRY_VERIFY(!label->text().contains(QStringLiteral("eşitlenmemiş")));
        QVERIFY(!fakes.tray.calls.last().contains(QStringLiteral("eşitlenmemiş")));

        bus.unregisterService(QStringLiteral("org.freedesktop.timedate1"));
        QDBusConnection::disconnectFromBus(bus.name());
    }
};

QTEST_MAIN(ClockSyncTest)
#include "tst_clocksync.moc"

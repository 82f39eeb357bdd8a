// The clock warning against a stand-in org.freedesktop.timedate1 that, like
// systemd's, answers Get and GetAll and never signals a change of
// NTPSynchronized. The test points the system bus address at its own
// session bus.
#include "core/TrayTips.h"
#include "platform/ClockSync.h"
#include "support/StartedForm.h"

#include <QDBusConnection>
#include <QLabel>
#include <QtTest>

#include <ctime>
#include <unistd.h>

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
    TimeDate service_;
    QDBusConnection bus_{QString()};

    // A started main window reading `sync`; the warning shows while the
    // service says the clock is not synchronized.
    struct Shown {
        TestFolders folders;
        RecordingPlatform fakes;
        SettingsStore store;
        std::unique_ptr<MainWindow> form;
        const QLabel* label = nullptr;
        explicit Shown(ClockSync& sync) {
            Platform platform = fakes.platform();
            platform.clockSync = &sync;
            form = std::make_unique<MainWindow>(platform, store);
            if (form->startUp(contextFor(folders, 1000)))
                label = form->findChild<QLabel*>(QStringLiteral("lblTime"));
        }
        bool warns() const { return label->text().endsWith(QStringLiteral("Saat eşitlenmemiş")); }
    };

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("no session bus");
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", qgetenv("DBUS_SESSION_BUS_ADDRESS"));
        bus_ =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("timedate"));
        QVERIFY(bus_.registerObject(QStringLiteral("/org/freedesktop/timedate1"), &service_,
                                    QDBusConnection::ExportAllProperties));
        QVERIFY(bus_.registerService(QStringLiteral("org.freedesktop.timedate1")));
    }
    void cleanupTestCase() {
        bus_.unregisterService(QStringLiteral("org.freedesktop.timedate1"));
        QDBusConnection::disconnectFromBus(bus_.name());
    }
    void init() { service_.synced = false; }

    // A first synchronization steps the clock: the warning goes at once.
    void warningGoesWhenTheClockIsSet() {
        if (::geteuid() != 0)
            QSKIP("setting the clock needs root");
        ClockSync sync; // rechecks only minutes later
        Shown shown(sync);
        QVERIFY(shown.label);
        QTRY_VERIFY(shown.warns());
        QVERIFY(shown.fakes.tray.calls.last().contains(QStringLiteral("Saat eşitlenmemiş")));

        service_.synced = true;
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        QVERIFY(::clock_settime(CLOCK_REALTIME, &now) == 0); // set to itself: nothing moves
        QTRY_VERIFY(!shown.warns());
        QVERIFY(!shown.fakes.tray.calls.last().contains(QStringLiteral("eşitlenmemiş")));
    }

    // Synchronized without a step (a clock that was nearly right): the
    // recheck while unsynchronized finds it.
    void warningGoesAtTheRecheck() {
        ClockSync sync(nullptr, std::chrono::milliseconds(200));
        Shown shown(sync);
        QVERIFY(shown.label);
        QTRY_VERIFY(shown.warns());
        service_.synced = true;
        QTRY_VERIFY(!shown.warns());
        QVERIFY(!shown.fakes.tray.calls.last().contains(QStringLiteral("eşitlenmemiş")));
    }
};

QTEST_MAIN(ClockSyncTest)
#include "tst_clocksync.moc"

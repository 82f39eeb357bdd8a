// Log-on start entry and the desktop's event sounds.
#include "platform/DesktopEventSounds.h"
#include "platform/DisplayServer.h"
#include "platform/XdgAutostart.h"
#include "support/TestFolders.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {
QString run(const QString& program, const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(10000))
        return QStringLiteral("<timeout>");
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAll()).trimmed();
}
} // namespace

class SystemTest : public QObject {
    Q_OBJECT
private slots:
    void execLineQuotesThePath() {
        QCOMPARE(XdgAutostart::execLine("/opt/velmar/velmar-dorl"),
                 QStringLiteral("\"/opt/velmar/velmar-dorl\" -systray"));
        QCOMPARE(XdgAutostart::execLine("/home/ali/.local/opt/Velmar Dorl/velmar-dorl"),
                 QStringLiteral("\"/home/ali/.local/opt/Velmar Dorl/velmar-dorl\" -systray"));
        QCOMPARE(XdgAutostart::execLine("/a/$b\"c`d\\e%f"),
                 QStringLiteral("\"/a/\\\\$b\\\\\"c\\\\`d\\\\\\\\e%%f\" -systray"));
    }

    void waylandSessionsRunOnXWayland() {
        using displayserver::wantsXWayland;
        QVERIFY(wantsXWayland({}, "wayland", "wayland-0", ":0")); // GNOME on Wayland
        QVERIFY(wantsXWayland({}, {}, "wayland-0", ":0"));        // no session type told
        QVERIFY(!wantsXWayland({}, "wayland", "wayland-0", {}));  // no XWayland: Wayland it is
        QVERIFY(!wantsXWayland("wayland", "wayland", "wayland-0", ":0")); // the user's choice
        QVERIFY(!wantsXWayland({}, "x11", {}, ":0"));
    }

    void entryWrittenOnceAndRewrittenWhenMoved() {
        TestFolders folders;
        XdgAutostart autostart;
        const QString path = XdgAutostart::entryPath();
        QCOMPARE(path, folders.config() + "/autostart/velmar-dorl.desktop");
        const QString program = folders.root() + "/Velmar Dorl/velmar-dorl";
        autostart.ensureRegistered(program);
        QFile entry(path);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray first = entry.readAll();
        entry.close();
        QVERIFY(first.contains("Exec=\"" + program.toUtf8() + "\" -systray\n"));
        QVERIFY(first.contains("\nTryExec=" + program.toUtf8() + "\n"));

        const QDateTime written = QFileInfo(path).lastModified();
        QFile::setPermissions(path,
                              QFile::ReadOwner); // an equal entry is not even opened for writing
        autostart.ensureRegistered(program);
        QCOMPARE(QFileInfo(path).lastModified(), written);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

        autostart.ensureRegistered(folders.root() + "/Taşındı/velmar-dorl");
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains("Taşındı"));
    }

    void anOlderEntryGetsTryExecAtAHiddenStart() {
        TestFolders folders;
        const QString path = XdgAutostart::entryPath();
        const QString program = folders.root() + "/a\\b/velmar-dorl";
        XdgAutostart().renewOldEntry(program); // none: none is made
        QVERIFY(!QFile::exists(path));
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QByteArray old = "[Desktop Entry]\nType=Application\nName=Velmar Dorl\n"
                               "Exec=\"" +
                               program.toUtf8() + "\" -systray\nHidden=true\n";
        QFile entry(path);
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write(old);
        entry.close();
        XdgAutostart().renewOldEntry(program);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray renewed = entry.readAll();
        entry.close();
        QCOMPARE(renewed,
                 QByteArray(old).replace("[Desktop Entry]\n",
                                         "[Desktop Entry]\nTryExec=" + folders.root().toUtf8() +
                                             "/a\\\\b/velmar-dorl\n"));
        XdgAutostart().renewOldEntry(program); // once is enough
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QCOMPARE(entry.readAll(), renewed);
    }

    void entryPassesTheValidator() {
        if (QStandardPaths::findExecutable("desktop-file-validate").isEmpty())
            QSKIP("desktop-file-validate is not installed");
        TestFolders folders;
        XdgAutostart().ensureRegistered(folders.root() + "/Velmar Dorl/velmar $dorl");
        int code = -1;
        const QString out = run("desktop-file-validate", {XdgAutostart::entryPath()}, &code);
        QVERIFY2(code == 0 && out.isEmpty(), qPrintable(out));
    }

    void eventSoundsOffInGSettings() {
        // GIO reads its backend and schema places once per process: the
        // scenarios run in children of this test.
        if (qEnvironmentVariableIsSet("VELMAR_CHILD")) {
            const bool changed = DesktopEventSounds::silenceGSettings();
            QCOMPARE(changed, qEnvironmentVariable("VELMAR_CHILD") == QLatin1String("schema"));
            return;
        }
        if (run("gsettings", {"list-keys", "org.gnome.desktop.sound"}).isEmpty())
            QSKIP("the GNOME sound schema is not installed");
        TestFolders folders;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("GSETTINGS_BACKEND", "keyfile");
        env.insert("XDG_CONFIG_HOME", folders.config());
        for (const char* scenario : {"schema", "noschema"}) {
            QProcessEnvironment childEnv = env;
            childEnv.insert("VELMAR_CHILD", scenario);
            if (QLatin1String(scenario) == QLatin1String("noschema")) {
                childEnv.insert("GSETTINGS_SCHEMA_DIR", folders.root());
                childEnv.insert("XDG_DATA_DIRS", folders.root());
            }
            QProcess child;
            child.setProcessEnvironment(childEnv);
            child.start(QCoreApplication::applicationFilePath(), {"eventSoundsOffInGSettings"});
            QVERIFY(child.waitForFinished(20000));
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                     qPrintable(QString::fromUtf8(child.readAll())));
        }
        QProcess get;
        get.setProcessEnvironment(env);
        for (const char* key : {"event-sounds", "input-feedback-sounds"}) {
            get.start("gsettings", {"get", "org.gnome.desktop.sound", key});
            QVERIFY(get.waitForFinished(10000));
            QCOMPARE(QString::fromUtf8(get.readAllStandardOutput()).trimmed(),
                     QStringLiteral("false"));
        }
    }

    void xfconfIsLeftAloneOutsideXfce() {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("no session bus");
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        const QString xfconf = QStringLiteral("org.xfce.Xfconf");
        const bool running = bus->isServiceRegistered(xfconf);
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        QVERIFY(!DesktopEventSounds::silenceXfconf());
        QCOMPARE(bool(bus->isServiceRegistered(xfconf)), running); // not started for nothing
    }

    void eventSoundsOffInXfconf() {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
            QStandardPaths::findExecutable("xfconf-query").isEmpty()) {
            if (qEnvironmentVariableIsSet("VELMAR_TEST_SERVICES"))
                QFAIL("the test services should have a session bus and xfconf");
            QSKIP("no session bus or no xfconf");
        }
        qputenv("XDG_CURRENT_DESKTOP", "XFCE");
        QVERIFY(DesktopEventSounds::silenceXfconf());
        for (const char* property : {"/Net/EnableEventSounds", "/Net/EnableInputFeedbackSounds"})
            QCOMPARE(run("xfconf-query", {"-c", "xsettings", "-p", property}),
                     QStringLiteral("false"));
    }

    void noSessionBusIsPassedOver() {
        const QByteArray saved = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        TestFolders folders; // a runtime folder without a bus socket
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QVERIFY(!DesktopEventSounds::silenceXfconf());
        qputenv("DBUS_SESSION_BUS_ADDRESS", saved);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
};

QTEST_GUILESS_MAIN(SystemTest)
#include "tst_system.moc"

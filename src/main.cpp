#include "core/Backup.h"
#include "core/SettingsTable.h"
#include "gui/DialogRunner.h"
#include "gui/MainWindow.h"
#include "gui/SystemTrayIcon.h"
#include "platform/Clock.h"
#include "platform/ClockSync.h"
#include "platform/DesktopEventSounds.h"
#include "platform/DisplayServer.h"
#include "platform/EventLog.h"
#include "platform/IdleInhibitor.h"
#include "platform/PulseSoundServer.h"
#include "platform/QtDesktopShell.h"
#include "platform/QtTranslations.h"
#include "platform/SessionEvents.h"
#include "platform/SettingsStore.h"
#include "platform/Signalling.h"
#include "platform/SoundHome.h"
#include "platform/WakeAlarm.h"
#include "platform/WorkThread.h"
#include "platform/XdgAutostart.h"
#include "sound/AlsaMixer.h"
#include "sound/OutputChoice.h"
#include "sound/OutputMixer.h"
#include "sound/ThreadedMixer.h"
#include "sound/ThreadedPlayer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <langinfo.h>
#include <malloc.h>
#include <unistd.h>

namespace {

// Qt 6 takes file names as UTF-8 whatever the locale, but Xlib writes a
// window's legacy title (WM_NAME) in the locale's encoding: started with no
// locale (a cron job, a bare systemd unit), a title's Turkish letters came out
// there as Latin-1 mojibake. Such a start reads and writes characters as
// UTF-8: C.UTF-8 is always there on Debian.
void useUtf8Characters() {
    std::setlocale(LC_ALL, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
        return;
    qputenv(qEnvironmentVariableIsEmpty("LC_ALL") ? "LC_CTYPE" : "LC_ALL", "C.UTF-8");
    std::setlocale(LC_ALL, "");
}

// With VELMAR_DORL_STARTUP_REPORT set, the program prints how long it took
// from process start until its event loop ran (the kernel keeps the start in
// 10 ms ticks), the boot-time clock's reading then in ms (for a caller that
// noted it before starting the program), and its resident memory.
void reportStartup() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile status(QStringLiteral("/proc/self/status"));
    if (!stat.open(QIODevice::ReadOnly) || !status.open(QIODevice::ReadOnly))
        return;
    const QByteArray statLine = stat.readAll();
    const QList<QByteArray> fields = statLine.mid(statLine.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double nowSeconds = boot.tv_sec + boot.tv_nsec / 1e9;
    const double startedMs = (nowSeconds - startTicks / sysconf(_SC_CLK_TCK)) * 1000.0;
    QByteArray rss = "?";
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            rss = line.mid(6).trimmed();
    }
    std::printf("startup-ms %.1f\nloop-boottime-ms %.3f\nrss %s\n", startedMs, nowSeconds * 1000.0,
                rss.constData());
    std::fflush(stdout);
}

// velmar-dorl --import FILE: takes a backup in as "İçe Aktar" does, without
// a window (over ssh, from a configuration tool), and has a running copy
// read it at once.
int importBackup(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("VelmarDorl"));
    const QString path = QString::fromLocal8Bit(argv[2]);
    SettingsStore store;
    QString copy;
    if (const QString problem = backup::importFrom(store, path, &copy); !problem.isEmpty()) {
        eventlog::warning(QStringLiteral("Yedek içe aktarılamadı (%1): %2").arg(path, problem));
        std::fprintf(stderr, "Yedek içe aktarılamadı, ayarlar değişmedi.\n%s\n",
                     problem.toLocal8Bit().constData());
        return 1;
    }
    eventlog::info(QStringLiteral("Yedek içe aktarıldı: %1 (önceki ayarlar: %2)").arg(path, copy));
    std::printf("Yedek içe aktarıldı: %s\n", path.toLocal8Bit().constData());
    if (!copy.isEmpty())
        std::printf("Önceki ayarların kopyası: %s\n", copy.toLocal8Bit().constData());
    const qint64 running = signalling::parseHandle(store.get(settings::hwnd()));
    if (signalling::sendWord(signalling::runtimeFolder(), running, signalling::kReload) == 1)
        std::printf("Çalışan Velmar Dorl yeni ayarları aldı.\n");
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    useUtf8Characters();
    if (argc == 2 && std::strcmp(argv[1], DesktopEventSounds::kGSettingsArgument) == 0)
        return DesktopEventSounds::silenceGSettings() ? 0 : 1;
    if (argc >= 2 && std::strcmp(argv[1], "--import") == 0) {
        if (argc != 3) {
            std::fprintf(stderr, "Kullanım: velmar-dorl --import YEDEK_DOSYASI\n");
            return 2;
        }
        return importBackup(argc, argv);
    }

    // fluiddec loads its SoundFont (one 5.8 MB block, ~2,000 small ones) on a
    // GStreamer thread for every MIDI sound. Freeing the big block would raise
    // glibc's mmap and trim thresholds, and each thread's arena then keeps
    // 12-17 MB of freed memory for good. Fixed thresholds, and a trim whenever
    // the player goes idle, give it back.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    displayserver::chooseXWaylandWhereOffered();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VelmarDorl"));
    // The main window is usually hidden; closing a notice must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    installTurkishQtTexts(app);

    SystemClock clock;
    QtDialogRunner dialogs;
    QtDesktopShell shell;
    // The player and the mixer wait on the sound server on threads of their
    // own, never on the window's; neither is touched before start-up has
    // found this the only instance.
    // One thread for both: a level set before a sound is set before it starts.
    const auto soundThread = std::make_shared<WorkThread>(QStringLiteral("velmar-sound"));
    ThreadedPlayer player({}, soundThread);
    // Sounds and the master level go to the output the school chose, the
    // default one (ALSA's mixer follows it) when none is chosen or it is gone.
    PulseSoundServer soundServer;
    OutputChoice outputs(&soundServer);
    ThreadedMixer computerMixer([] { return std::make_unique<AlsaMixer>(); }, soundThread);
    OutputMixer mixer(computerMixer, outputs);
    SystemTrayIcon tray;
    XdgAutostart autostart;
    DesktopEventSounds eventSounds;
    Platform platform;
    platform.clock = &clock;
    platform.dialogs = &dialogs;
    platform.player = &player;
    platform.mixer = &mixer;
    platform.tray = &tray;
    platform.logonStart = &autostart;
    platform.eventSounds = &eventSounds;
    platform.shell = &shell;
    DBusIdleInhibitor inhibitor;
    platform.inhibitor = &inhibitor;
    ClockSync clockSync;
    platform.clockSync = &clockSync;
    SystemdWakeAlarm wakeAlarm;
    platform.wakeAlarm = &wakeAlarm;
    platform.outputs = &outputs;

    SettingsStore store;
    outputs.choose(store.get(settings::sesCikisi()));
    MainWindow form(platform, store);
    // exit(), not quit(): it also ends a start-up box that is still open.
    QObject::connect(
        &form, &MainWindow::ended, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);

    // Every way out restores the master level, so the next user finds the PC not muted.
    SessionEvents session;
    QObject::connect(&session, &SessionEvents::endRequested, &form, [&form](const QString& why) {
        eventlog::info(QStringLiteral("Kapatma isteği: %1").arg(why));
        form.quitProgram();
    });
    QObject::connect(&session, &SessionEvents::sleeping, &form, [&form](bool asleep) {
        eventlog::info(asleep ? QStringLiteral("Bilgisayar uykuya geçiyor")
                              : QStringLiteral("Bilgisayar uyandı"));
        if (!asleep)
            form.schoolDay().resumed();
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form] { form.restoreMasterLevel(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.quitProgram(); });

    QObject::connect(&form.playback(), &Playback::playingChanged, [](bool playing) {
        if (!playing)
            malloc_trim(0);
    });

    StartupContext context;
    const QString programFolder = QCoreApplication::applicationDirPath();
    // Sound folders next to a program the user can write: a build, a home installation.
    const bool ownFolder = QFileInfo(programFolder).isWritable() &&
                           QFileInfo(programFolder + QStringLiteral("/Melodiler")).isDir();
    context.appPath =
        soundhome::choose(programFolder, ownFolder, soundhome::defaultsFor(programFolder),
                          QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                              QStringLiteral("/VelmarDorl"));
    context.programPath = QCoreApplication::applicationFilePath();
    context.arguments = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    context.runtimeFolder = signalling::runtimeFolder();
    context.instanceNumber = ::getpid();
    if (!form.startUp(context) || form.hasEnded())
        return 0;

    // Start-up's own garbage (the pages built, the settings read) goes back too.
    QTimer::singleShot(0, &app, [] { malloc_trim(0); });
    if (qEnvironmentVariableIsSet("VELMAR_DORL_STARTUP_REPORT"))
        QTimer::singleShot(0, &app, reportStartup);
    return app.exec();
}

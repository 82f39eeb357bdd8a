// The uninstaller on a temporary installation with temporary desktop,
// applications, config and runtime folders.
#include "Removal.h"
#include "SilPaths.h"
#include "SilStore.h"
#include "SilWindow.h"
#include "Stages.h"

#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {
void write(const QString& path, const QByteArray& bytes = "x") {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}
bool exists(const QString& path) {
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}
} // namespace

// A user with an installation, its shortcuts, its log-on entry and settings.
struct Installed {
    QTemporaryDir root;
    QString home, install, outside;

    Installed() {
        home = root.path() + "/home";
        install = home + "/.local/opt/Velmar Dorl";
        outside = root.path() + "/outside";
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/.local/share"));
        QDir().mkpath(root.path() + "/runtime");
        ::chmod(QFile::encodeName(root.path() + "/runtime").constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root.path() + "/runtime"));

        write(install + "/velmar-dorl");
        write(install + "/Kaldır/sil");
        for (const char* f : {"Melodiler/Melodi 1.wav", "Melodiler/Okulumuz.mp3", "Anonslar/0.mp3",
                              "Marşlar/0.mp3", "Müzik/Şarkı.mid", "Müzik/Eklenen.mp3"})
            write(install + "/" + QString::fromUtf8(f));
        write(home + "/Desktop/Velmar Dorl.desktop");
        write(home + "/.local/share/applications/Velmar Dorl/Velmar Dorl.desktop");
        write(home + "/.local/share/applications/Velmar Dorl/Programı Kaldır/sil.desktop");
        write(home + "/.config/autostart/velmar-dorl.desktop");
        write(home + "/.config/autostart/other.desktop");
        silstore::write("silPath", install);
        silstore::write("hwnd", "0");
        write(outside + "/keep.wav");
    }
    QString menu() const { return home + "/.local/share/applications/Velmar Dorl"; }

    // Runs the window with option `option`; `duringWait` may act inside the waits.
    bool remove(int option, double waitScale = 0.01,
                const std::function<void(SilWindow&)>& duringWait = {},
                const std::function<void()>& askedToClose = {}) {
        SilWindow window(silstore::read("silPath", silpaths::defaultInstallFolder()));
        window.waitScale = waitScale;
        window.askedProgramToClose = askedToClose;
        QString message;
        window.showMessage = [&](const QString& text) { message = text; };
        QSignalSpy finished(&window, &SilWindow::finished);
        window.show();
        if (!window.continueButton()->isEnabled() && option >= 0)
            window.option(option)->click();
        if (duringWait)
            QTimer::singleShot(1, &window, [&] { duringWait(window); });
        window.continueButton()->click();
        if (finished.isEmpty() && !finished.wait(10000))
            return false;
        lastMessage = message;
        return true;
    }
    QString lastMessage;
};

class SilTest : public QObject {
    Q_OBJECT
private slots:
    void planRowsInOrder() {
        QStringList captions;
        for (const removal::Step& step : removal::plan(0)) {
            if (step.kind == removal::Step::Wait)
                captions << step.caption;
        }
        QCOMPARE(captions,
                 (QStringList{"Kayıt anahtarları siliniyor.", "Melodiler siliniyor.",
                              "Anonslar siliniyor.", "Marşlar siliniyor.", "Müzikler siliniyor.",
                              "Geçici dosyalar siliniyor.", "Ana klasör siliniyor."}));
        QCOMPARE(removal::plan(0).front().kind, removal::Step::DeleteAutostart);
        QCOMPARE(removal::plan(1).at(1).kind, removal::Step::DeleteSettings);
        QVERIFY(removal::plan(2).at(1).kind != removal::Step::DeleteSettings);
        QVERIFY(removal::plan(-1).empty());
    }

    void windowTexts() {
        Installed i;
        SilWindow window(i.install);
        QCOMPARE(window.windowTitle(), QStringLiteral("Velmar Dorl programını kaldır."));
        QCOMPARE(window.option(2)->text(),
                 QStringLiteral("Sonradan eklediğim melodi,  müzikler ve ayarlarım kalsın."));
        QVERIFY(!window.continueButton()->isEnabled());
        for (int k = 0; k < 3; ++k)
            QVERIFY(!window.option(k)->isChecked());
        window.option(1)->click();
        QVERIFY(window.continueButton()->isEnabled());
    }

    void removeEverything() {
        Installed i;
        QVERIFY(i.remove(0));
        QCOMPARE(i.lastMessage, SilWindow::kDone);
        QVERIFY(!exists(i.install));
        QVERIFY(!exists(i.home + "/Desktop/Velmar Dorl.desktop"));
        QVERIFY(!exists(i.menu()));
        QVERIFY(!exists(i.home + "/.config/autostart/velmar-dorl.desktop"));
        QVERIFY(exists(i.home + "/.config/autostart/other.desktop"));
        QVERIFY(!exists(silpaths::settingsFile()));
        QVERIFY(exists(i.outside + "/keep.wav"));
    }

    void keepMelodiesAndSongs() {
        Installed i;
        QVERIFY(i.remove(1));
        QVERIFY(exists(i.install + "/Melodiler/Okulumuz.mp3"));
        QVERIFY(exists(i.install + "/Müzik/Eklenen.mp3"));
        for (const char* gone : {"/velmar-dorl", "/Anonslar", "/Marşlar", "/Kaldır"})
            QVERIFY2(!exists(i.install + QString::fromUtf8(gone)), gone);
        QVERIFY(!exists(silpaths::settingsFile()));
        QVERIFY(!exists(i.home + "/.config/autostart/velmar-dorl.desktop"));
    }

    void keepMelodiesSongsAndSettings() {
        Installed i;
        QVERIFY(i.remove(2));
        QVERIFY(exists(i.install + "/Melodiler/Melodi 1.wav"));
        QVERIFY(exists(i.install + "/Müzik/Şarkı.mid"));
        QVERIFY(!exists(i.install + "/velmar-dorl"));
        QCOMPARE(silstore::read("silPath", ""), i.install);
        QCOMPARE(silstore::read("hwnd", ""), QStringLiteral("0"));
        QVERIFY(!exists(i.home + "/.config/autostart/velmar-dorl.desktop"));
        QVERIFY(!exists(i.home + "/Desktop/Velmar Dorl.desktop"));
    }

    void cancelBeforeAndDuring() {
        Installed i;
        {
            SilWindow window(i.install);
            QSignalSpy finished(&window, &SilWindow::finished);
            window.option(0)->click();
            window.cancelButton()->click();
            QCOMPARE(finished.size(), 1);
        }
        for (const bool escape : {true, false}) { // Escape, or the window's close button
            SilWindow window(i.install);
            QSignalSpy finished(&window, &SilWindow::finished);
            window.show();
            if (escape)
                QTest::keyClick(&window, Qt::Key_Escape);
            else
                window.close();
            QCOMPARE(finished.size(), 1);
            QVERIFY(window.cancelled());
        }
        QVERIFY(exists(i.home + "/Desktop/Velmar Dorl.desktop"));
        QVERIFY(exists(i.install + "/velmar-dorl"));

        // "İptal" in the first wait: the shortcuts are gone, nothing else.
        QVERIFY(i.remove(0, 1.0, [](SilWindow& w) { w.cancelButton()->click(); }));
        QVERIFY(i.lastMessage.isEmpty());
        QVERIFY(!exists(i.home + "/Desktop/Velmar Dorl.desktop"));
        QVERIFY(exists(i.install + "/velmar-dorl"));
        QVERIFY(exists(i.install + "/Anonslar/0.mp3"));
        QVERIFY(exists(silpaths::settingsFile()));
        QVERIFY(exists(i.home + "/.config/autostart/velmar-dorl.desktop"));
    }

    void neverEmptiesAFolderThatIsNoInstallation_data() {
        QTest::addColumn<QString>("silPath");
        QTest::newRow("root") << "/";
        QTest::newRow("empty") << "";
        QTest::newRow("home") << "HOME";
        QTest::newRow("without the program") << "OUTSIDE";
    }
    void neverEmptiesAFolderThatIsNoInstallation() {
        QFETCH(QString, silPath);
        Installed i;
        write(i.home + "/belge.txt");
        if (silPath == "HOME")
            silPath = i.home;
        else if (silPath == "OUTSIDE")
            silPath = i.outside;
        silstore::write("silPath", silPath);
        QVERIFY(i.remove(0));
        QVERIFY(i.lastMessage.contains(QStringLiteral("Hiçbir şey silinmedi")));
        QVERIFY(exists(i.home + "/belge.txt"));
        QVERIFY(exists(i.outside + "/keep.wav"));
        QVERIFY(exists(i.install + "/velmar-dorl"));
        QVERIFY(exists(i.home + "/Desktop/Velmar Dorl.desktop"));
    }

    void linksAreRemovedNotFollowed() {
        Installed i;
        QVERIFY(QFile::link(i.outside + "/keep.wav", i.install + "/Anonslar/link.mp3"));
        QVERIFY(QFile::link(i.outside, i.install + "/Marşlar/folder-link"));
        // A sound folder that is a link to a shared archive.
        QVERIFY(QDir(i.install + "/Müzik").removeRecursively());
        QVERIFY(QFile::link(i.outside, i.install + "/Müzik"));
        QVERIFY(i.remove(0));
        QVERIFY(exists(i.outside + "/keep.wav"));
        QVERIFY(!exists(i.install));

        // The installation folder itself a link: the link goes, nothing behind it.
        const QString real = i.root.path() + "/real";
        write(real + "/velmar-dorl");
        write(real + "/Müzik/Şarkı.mp3");
        QVERIFY(QFile::link(real, i.install));
        QVERIFY(i.remove(0));
        QVERIFY(!exists(i.install));
        QVERIFY(exists(real + "/velmar-dorl"));
        QVERIFY(exists(real + "/Müzik/Şarkı.mp3"));
    }

    void firstStageOnlyFromAnInstallation() {
        Installed i;
        QStringList warnings, started;
        const auto warn = [&](const QString& t) { warnings << t; };
        const auto start = [&](const QString& copy) {
            started << copy;
            return true;
        };
        QFile::remove(silpaths::settingsFile());
        write(i.root.path() + "/Downloads/Kaldır/sil");
        QCOMPARE(stages::runFirst(i.root.path() + "/Downloads/Kaldır/sil", warn, start), 1);
        write(i.root.path() + "/Velmar/sil");
        QCOMPARE(stages::runFirst(i.root.path() + "/Velmar/sil", warn, start), 1);
        QCOMPARE(warnings.size(), 2);
        QVERIFY(started.isEmpty());
        QVERIFY(!exists(silpaths::settingsFile()));

        QCOMPARE(stages::runFirst(i.install + "/Kaldır/sil", warn, start), 0);
        QCOMPARE(silstore::read("silPath", ""), i.install);
        QCOMPARE(started, QStringList{i.root.path() + "/runtime/sill"});
        QVERIFY(exists(i.root.path() + "/runtime/sill"));

        QVERIFY(stages::isCopy("/tmp/x/sill"));
        QVERIFY(!stages::isCopy("/tmp/x/Sill"));
        QVERIFY(!stages::isCopy("/tmp/x/sil"));
        QVERIFY(!stages::isCopy("/tmp/x/sill2"));
    }

    void runningProgramEndsBeforeItsFilesGo() {
        Installed i;
        QFile::remove(i.install + "/velmar-dorl");
        QVERIFY(QFile::copy(QStringLiteral(VELMAR_PROGRAM), i.install + "/velmar-dorl"));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!env.contains("DISPLAY"))
            env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.start(i.install + "/velmar-dorl", {"-systray"});
        QVERIFY(program.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(silstore::read("hwnd", "0") != QStringLiteral("0"), 10000);
        bool programThereAtExit = false;
        connect(&program, &QProcess::finished, this,
                [&] { programThereAtExit = exists(i.install + "/velmar-dorl"); });
        // However slow this machine, the program ends on the word alone.
        QVERIFY(i.remove(0, 0.01, {}, [&] { program.waitForFinished(30000); }));
        QCOMPARE(program.state(), QProcess::NotRunning);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(programThereAtExit);
        QVERIFY(!exists(i.install));
    }
};

QTEST_MAIN(SilTest)
#include "tst_sil.moc"

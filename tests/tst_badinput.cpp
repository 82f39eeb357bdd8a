// Broken sound files and folders, a crowded music folder, and a signalling
// socket flooded with garbage: the program keeps ringing the bells it can.
#include "gui/MelodilerPage.h"
#include "sound/GstPlayer.h"
#include "support/CountingPlayer.h"
#include "support/StartedForm.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QtTest>

#include <sys/resource.h>

namespace {
const QString kSounds = QStringLiteral(VELMAR_SOUNDS);

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}
QByteArray read(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}
} // namespace

class BadInputTest : public QObject {
    Q_OBJECT
private slots:
    void brokenSoundFilesAndACrowdedMusicFolder() {
        TestFolders folders;
        const QString app = folders.app();
        // Random bytes without 0xFF: no MPEG frame can start anywhere in them.
        QRandomGenerator random(20261207);
        QByteArray noise(30000, '\0');
        for (char& c : noise)
            c = char(random.bounded(255));
        write(app + "/Melodiler/Melodi 5.wav", {}); // empty
        write(app + "/Melodiler/Melodi 6.wav", read(kSounds + "/Melodiler/Melodi 6.wav").left(600));
        write(app + "/Melodiler/Melodi 1.wav", read(kSounds + "/Melodiler/Melodi 1.wav"));
        write(app + "/Melodiler/Rastgele.mp3", noise);
        write(app + "/Melodiler/Yanlış adlı.wav", read(kSounds + "/Anonslar/2.mp3")); // an mp3
        QDir().mkpath(app + "/Melodiler/Klasör.wav");
        write(app + "/Anonslar/0.mp3", read(kSounds + "/Anonslar/0.mp3").left(300));
        write(app + "/Müzik/bozuk.mp3", noise);
        for (int i = 0; i < 5000; ++i)
            QFile::link(app + "/Müzik/bozuk.mp3",
                        app + QStringLiteral("/Müzik/şarkı %1.mp3").arg(i));

        RecordingPlatform fakes;
        fakes.clock.set(QDateTime(QDate(2026, 12, 7), QTime(9, 9, 30)));
        GstPlayer gst(QStringLiteral("fakesink sync=false"));
        CountingPlayer player(gst, [] { return QString(); });
        Platform platform = fakes.platform();
        platform.player = &player;
        SettingsStore store;
        MainWindow form(platform, store);
        const StartupContext c = contextFor(folders, 31);
        QVERIFY(form.startUp(c));
        Playback& playback = form.playback();

        // Empty melody, cut-off announcement: both end at once, the computer rests muted.
        form.findChild<QPushButton*>("cmdZil_0")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!playback.playing(), 5000);
        QCOMPARE(player.opened.size(), 2);
        QCOMPARE(fakes.mixer.wave, 0L);

        // The good exit bell rings at 09:10; the broken songs after it are given up on.
        fakes.clock.set(QDateTime(QDate(2026, 12, 7), QTime(9, 10)));
        emit form.weekdayTimer().timeout();
        QCOMPARE(player.opened.size(), 3);
        QTRY_VERIFY_WITH_TIMEOUT(!playback.playing(), 10000);
        QCOMPARE(player.opened.size(), 3 + Playback::kMaxSongFailures);
        QVERIFY(player.opened.last().path.contains("/Müzik/"));

        // A wrongly named file still plays; the melody lists skip the folder.
        form.tabs()->setCurrentIndex(2);
        QComboBox* list = form.melodilerPage()->melodyList(1);
        QCOMPARE(list->findText("Klasör.wav"), -1);
        list->setCurrentIndex(list->findText("Yanlış adlı.wav"));
        QSignalSpy ends(&gst, &Player::finished);
        form.melodilerPage()->previewButton(1)->click();
        QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 1, 10000);
        QVERIFY(ends.first().first().toBool());

        // Idle: no busy loop, nothing more is opened and the mixer is left alone.
        QTRY_VERIFY(!playback.playing());
        const qsizetype opened = player.opened.size();
        const size_t mixerSets = fakes.mixer.sets.size();
        const double before = cpuSeconds();
        QTest::qWait(2000);
        qInfo("CPU used in 2 s idle: %.3f s", cpuSeconds() - before);
        QCOMPARE(player.opened.size(), opened);
        QCOMPARE(fakes.mixer.sets.size(), mixerSets);
    }

    void garbageOnTheSocketChangesNothing() {
        TestFolders folders;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(VELMAR_PROGRAM), {"-systray"});
        QVERIFY(program.waitForStarted(5000));
        SettingsStore reader(folders.settingsFile());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folders.settingsFile()), 10000);
        const QString path =
            folders.runtime() + "/VelmarDorl-" + QString::number(program.processId()) + ".sock";
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path), 10000);

        std::vector<std::unique_ptr<QLocalSocket>> senders;
        for (int i = 0; i < 20; ++i) {
            auto socket = std::make_unique<QLocalSocket>();
            socket->connectToServer(path);
            socket->waitForConnected(2000);
            switch (i % 4) {
            case 0: // random bytes with a line end
                socket->write(QByteArray(37, char(0xC3 + i)) + "\n");
                break;
            case 1: // a word cut short
                socket->write("uninst");
                break;
            case 2: // megabytes
                socket->write(QByteArray(2 * 1024 * 1024, 'u'));
                break;
            default: // nothing at all
                break;
            }
            socket->flush();
            senders.push_back(std::move(socket));
        }
        QTest::qWait(300);
        QCOMPARE(program.state(), QProcess::Running);

        // A second start is still answered at once, and leaves it running.
        QProcess second;
        second.setProcessEnvironment(env);
        QElapsedTimer answered;
        answered.start();
        second.start(QStringLiteral(VELMAR_PROGRAM));
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        qInfo("second start answered after %lld ms", answered.elapsed());
        QCOMPARE(program.state(), QProcess::Running);

        QLocalSocket uninstall;
        uninstall.connectToServer(path);
        QVERIFY(uninstall.waitForConnected(2000));
        uninstall.write("uninstall\n");
        uninstall.flush();
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_MAIN(BadInputTest)
#include "tst_badinput.moc"

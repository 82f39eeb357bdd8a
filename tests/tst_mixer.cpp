// The real ALSA mixer against the PulseAudio server of the test services.
#include "sound/AlsaMixer.h"
#include "sound/GstPlayer.h"
#include "support/SinkLevel.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

namespace {
bool soundServerRuns() {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    return pactl.waitForFinished(5000) && pactl.exitCode() == 0;
}

QString sinkVolume() {
    return sinklevel::volume(QStringLiteral("@DEFAULT_SINK@"));
}
} // namespace

class MixerTest : public QObject {
    Q_OBJECT
private slots:
    void masterFollowsTheDefaultOutput() {
        if (!soundServerRuns()) {
            if (qEnvironmentVariableIsSet("VELMAR_TEST_SERVICES"))
                QFAIL("the test services should have started a sound server");
            QSKIP("no sound server");
        }
        AlsaMixer mixer;
        QVERIFY(mixer.opened());
        QCOMPARE(mixer.minWaveVolume(), 0L);
        QCOMPARE(mixer.maxWaveVolume(), 65536L);
        // No separate wave level on a sound server: both bounds 0, writes ignored.
        QCOMPARE(mixer.minWavInVolume(), 0L);
        QCOMPARE(mixer.maxWavInVolume(), 0L);
        mixer.setWaveInVolume(1234);
        QCOMPARE(mixer.waveInVolume(), 0L);

        mixer.setWaveVolume(32768);
        QCOMPARE(mixer.lastResult(), 0);
        QCOMPARE(mixer.waveVolume(), 32768L);
        QVERIFY2(sinkVolume().contains(QLatin1String("50%")), qPrintable(sinkVolume()));

        mixer.setWaveVolume(0);
        QCOMPARE(mixer.waveVolume(), 0L);
        QVERIFY2(sinkVolume().contains(QLatin1String(" 0%")), qPrintable(sinkVolume()));

        mixer.setWaveVolume(1000000); // kept within the bounds
        QCOMPARE(mixer.waveVolume(), 65536L);
    }

    void soundServerRestartedBetweenTwoBells() {
        const QString restart = qEnvironmentVariable("VELMAR_RESTART_PULSE");
        if (restart.isEmpty() || !soundServerRuns())
            QSKIP("needs the test services' sound server");
        AlsaMixer mixer;
        GstPlayer player; // the desktop's own output, here the null sink
        QSignalSpy finished(&player, &Player::finished);
        const QString bell = QStringLiteral(VELMAR_SOUNDS) + "/Melodiler/Melodi 4.wav";
        mixer.setWaveVolume(65536);
        player.open(bell);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QVERIFY(finished.last().first().toBool());

        QProcess::execute(restart, {});
        QVERIFY(soundServerRuns());
        mixer.setWaveVolume(32768);
        QVERIFY2(sinkVolume().contains(QLatin1String("50%")), qPrintable(sinkVolume()));
        player.open(bell);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 10000);
        QVERIFY(finished.last().first().toBool());
    }

    void noServerAtStartThenOneLater() {
        qputenv("PULSE_SERVER", "unix:/nonexistent/velmar-test");
        AlsaMixer mixer;
        QVERIFY(!mixer.opened());
        QCOMPARE(mixer.maxWaveVolume(), 0L);
        mixer.setWaveVolume(100);
        QCOMPARE(mixer.waveVolume(), 0L);
        qunsetenv("PULSE_SERVER");
        if (!soundServerRuns())
            QSKIP("no sound server to come later");
        // The server is reachable now: the next use opens the mixer.
        mixer.setWaveVolume(32768);
        QVERIFY(mixer.opened());
        QCOMPARE(mixer.maxWaveVolume(), 65536L);
        QCOMPARE(mixer.waveVolume(), 32768L);
    }
};

QTEST_GUILESS_MAIN(MixerTest)
#include "tst_mixer.moc"

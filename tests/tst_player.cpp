// The real GStreamer player, playing into a fakesink.
#include "core/StoredValues.h"
#include "core/VolumeCurve.h"
#include "platform/Clock.h"
#include "sound/Bells.h"
#include "sound/GstPlayer.h"
#include "sound/MasterLevel.h"
#include "sound/Playback.h"
#include "support/TestFolders.h"
#include "support/ToneWav.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {
const QString kSounds = QStringLiteral(VELMAR_SOUNDS);

// A one-second MIDI file: two notes and a closing rest.
QByteArray shortMidi() {
    const unsigned char track[] = {0x00, 0xC0, 0x00, 0x00, 0x90, 60,  100,  0x83, 0x60, 0x80,
                                   60,   0,    0x00, 0x90, 64,   100, 0x83, 0x60, 0x80, 64,
                                   0,    0x83, 0x60, 0x90, 0,    0,   0x00, 0xFF, 0x2F, 0x00};
    QByteArray midi("MThd\0\0\0\x06\0\0\0\x01\x01\xE0", 14);
    midi += QByteArray("MTrk\0\0\0", 7) + char(sizeof(track));
    midi += QByteArray(reinterpret_cast<const char*>(track), sizeof(track));
    return midi;
}

// Loudest 16-bit sample seen at the sink.
struct PeakProbe {
    std::atomic<int> peak{0};
    static GstPadProbeReturn onBuffer(GstPad*, GstPadProbeInfo* info, gpointer self) {
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        GstMapInfo map;
        if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            const auto* samples = reinterpret_cast<const qint16*>(map.data);
            int peak = static_cast<PeakProbe*>(self)->peak;
            for (gsize i = 0; i < map.size / 2; ++i)
                peak = std::max(peak, std::abs(int(samples[i])));
            static_cast<PeakProbe*>(self)->peak = peak;
            gst_buffer_unmap(buffer, &map);
        }
        return GST_PAD_PROBE_OK;
    }
    void attach(GstPlayer& player) {
        GstElement* out = gst_bin_get_by_name(GST_BIN(player.audioSink()), "out");
        GstPad* pad = gst_element_get_static_pad(out, "sink");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &PeakProbe::onBuffer, this, nullptr);
        gst_object_unref(pad);
        gst_object_unref(out);
    }
};

// The session's, before a test's own folders replace it: the sound server's socket is there.
const QByteArray kSessionRuntime = qgetenv("XDG_RUNTIME_DIR");

bool soundServerRuns() {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    return pactl.waitForFinished(5000) && pactl.exitCode() == 0;
}

// The level of this process's one stream on the sound server, in decibels
// as the server shows them ("-3.85 dB"); empty while there is no stream. A
// corked stream (pulsesink's probe for formats) plays nothing and is passed.
QString streamLevel() {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("-f"), QStringLiteral("json"),
                                          QStringLiteral("list"), QStringLiteral("sink-inputs")});
    pactl.waitForFinished(5000);
    const QByteArray out = pactl.readAllStandardOutput();
    const QString pid = QString::number(QCoreApplication::applicationPid());
    for (const QJsonValue& input : QJsonDocument::fromJson(out).array()) {
        const QJsonObject stream = input.toObject();
        if (stream[QLatin1String("properties")][QLatin1String("application.process.id")] != pid ||
            stream[QLatin1String("corked")].toBool())
            continue;
        const QJsonObject volume = stream[QLatin1String("volume")].toObject();
        if (!volume.isEmpty())
            return volume.begin()->toObject()[QLatin1String("db")].toString();
    }
    return {};
}

QString levelOf(double volume) {
    return QString::asprintf("%.2f dB", *playerLevelFor(volume) / 100.0);
}

const QString kFastSink =
    QStringLiteral("audioconvert ! audio/x-raw,format=S16LE ! fakesink name=out sync=false");
const QString kRealTimeSink = QStringLiteral("fakesink name=out sync=true");
} // namespace

class PlayerTest : public QObject {
    Q_OBJECT
private slots:
    void eachFormatFinishesOnceNearItsLength_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("seconds");
        QTest::newRow("wav") << kSounds + "/Melodiler/Melodi 4.wav" << 2.3;
        QTest::newRow("mp3") << kSounds + "/Anonslar/2.mp3" << 4.5;
        QTest::newRow("midi") << QStringLiteral("short.mid") << 1.0;
    }
    void eachFormatFinishesOnceNearItsLength() {
        QFETCH(QString, file);
        QFETCH(double, seconds);
        TestFolders folders;
        if (file == QLatin1String("short.mid")) {
            file = folders.root() + "/short.mid";
            QFile midi(file);
            QVERIFY(midi.open(QIODevice::WriteOnly));
            midi.write(shortMidi());
        }
        GstPlayer player(kRealTimeSink);
        QSignalSpy finished(&player, &Player::finished);
        QSignalSpy started(&player, &Player::started);
        QElapsedTimer clock;
        clock.start();
        player.open(file);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        const double elapsed = clock.elapsed() / 1000.0;
        qInfo("%s: finished after %.3f s", qPrintable(QFileInfo(file).fileName()), elapsed);
        QVERIFY(finished.first().first().toBool());
        QVERIFY2(elapsed > seconds * 0.5, "ended long before the end of the file");
        QTest::qWait(300);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(started.size(), 1);
    }

    void stoppedOrReplacedNeverFinishes() {
        GstPlayer player(kRealTimeSink);
        QSignalSpy finished(&player, &Player::finished);
        player.open(kSounds + "/Melodiler/Melodi 4.wav");
        QTest::qWait(200);
        player.stop();
        player.open(kSounds + "/Melodiler/Melodi 4.wav");
        QTest::qWait(100);
        player.open(kSounds + "/Anonslar/2.mp3"); // replaces the melody
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QTest::qWait(2600); // longer than the melody would have taken
        QCOMPARE(finished.size(), 1);

        player.open(kSounds + "/Melodiler/Melodi 4.wav");
        QTest::qWait(100);
        player.unload();
        QTest::qWait(2600);
        QCOMPARE(finished.size(), 1);
    }

    void levelInHundredthsOfDecibel() {
        GstPlayer player(kFastSink);
        PeakProbe probe;
        probe.attach(player);
        QSignalSpy finished(&player, &Player::finished);
        player.setVolume(0);
        player.open(kSounds + "/Melodiler/Melodi 4.wav");
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        const int full = probe.peak;
        probe.peak = 0;
        player.setVolume(-2000); // 20 dB down: a tenth of the amplitude
        player.open(kSounds + "/Melodiler/Melodi 4.wav");
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 10000);
        const double ratio = double(probe.peak) / full;
        qInfo("peak at 0: %d, at -2000: %d, ratio %.3f", full, int(probe.peak), ratio);
        QVERIFY(full > 10000);
        QVERIFY(ratio > 0.08 && ratio < 0.12);
        QCOMPARE(player.volume(), -2000L);
    }

    void unplayableFilesFailOnce_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << QByteArray() << "missing";
        QTest::newRow("empty") << QByteArray() << "file";
        QTest::newRow("random bytes") << QByteArray(20000, '\x5a') << "file";
        QTest::newRow("truncated wav") << QByteArray("RIFF\x24\x08\0\0WAVEfmt ", 16) << "file";
        QTest::newRow("folder") << QByteArray() << "folder";
    }
    void unplayableFilesFailOnce() {
        QFETCH(QByteArray, content);
        QFETCH(QString, kind);
        TestFolders folders;
        const QString path = folders.root() + "/Bozuk.mp3";
        if (kind == QLatin1String("file")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        } else if (kind == QLatin1String("folder")) {
            QDir().mkpath(path);
        }
        GstPlayer player(kFastSink);
        QSignalSpy finished(&player, &Player::finished);
        QSignalSpy started(&player, &Player::started);
        player.open(path);
        QCOMPARE(finished.size(), 0); // never from inside open()
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        QVERIFY(!finished.first().first().toBool());
        QVERIFY(!player.outputFailed()); // the file's fault
        QTest::qWait(200);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(started.size(), 0);

        player.open(kSounds + "/Melodiler/Melodi 4.wav"); // and the player still works
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 10000);
        QVERIFY(finished.last().first().toBool());
        QCOMPARE(started.size(), 1);
    }

    // A good file whose output cannot be reached (no sound server there) is
    // not called broken.
    void anUnreachableOutputIsNotTheFile() {
        TestFolders folders; // its runtime folder holds no sound server
        GstPlayer player(QStringLiteral("pulsesink name=out server=unix:") + folders.root() +
                         QStringLiteral("/none"));
        QSignalSpy finished(&player, &Player::finished);
        player.open(kSounds + "/Melodiler/Melodi 4.wav");
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QVERIFY(!finished.first().first().toBool());
        QVERIFY(player.outputFailed());
    }

    // wav, mp3 and MIDI go through the standard plugins' decoders, also where
    // libav is installed beside them (its libraries would stay mapped).
    void ownDecodersPlugged_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("decoder");
        QTest::newRow("wav") << kSounds + "/Melodiler/Melodi 4.wav" << QString();
        QTest::newRow("mp3") << kSounds + "/Anonslar/2.mp3"
                             << "mpg123audiodec";
        QTest::newRow("midi") << kSounds + "/Müzik/Küçük Yıldız.mid"
                              << "fluiddec";
    }
    void ownDecodersPlugged() {
        QFETCH(QString, file);
        QFETCH(QString, decoder);
        GstPlayer player(kFastSink);
        QStringList plugged;
        g_signal_connect(player.pipeline(), "deep-element-added",
                         G_CALLBACK(+[](GstBin*, GstBin*, GstElement* element, QStringList* names) {
                             if (GstElementFactory* factory = gst_element_get_factory(element))
                                 *names << QString::fromUtf8(GST_OBJECT_NAME(factory));
                         }),
                         &plugged);
        QSignalSpy finished(&player, &Player::finished);
        player.open(file);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QVERIFY(finished.first().first().toBool());
        QCOMPARE(plugged.filter(QRegularExpression("^(mpg123|fluid|avdec_)")),
                 decoder.isEmpty() ? QStringList() : QStringList{decoder});
    }

    // Each sound reaches the sound server at its own level, whatever played
    // before it: the level set while the old stream still played belongs to
    // the new one too.
    void eachSoundAtItsOwnLevelOnTheServer() {
        qputenv("XDG_RUNTIME_DIR", kSessionRuntime);
        if (!soundServerRuns()) {
            if (qEnvironmentVariableIsSet("VELMAR_TEST_SERVICES"))
                QFAIL("the test services should have started a sound server");
            QSKIP("no sound server");
        }
        GstPlayer player; // the desktop's own sink
        MasterLevel master;
        SystemClock clock;
        StoredValues values;
        values.Zil.fill(QStringLiteral("Melodi 1.wav"));
        values.Anons.fill(QStringLiteral("1"));
        // Neighbours in the sequence below differ in level.
        values.Sesx = {90, 90, 90, 100, 80, 80, 80, 65, 65, 65};
        Playback playback(player, master, values, clock);
        playback.setAppPath(kSounds);
        const QString bell = levelOf(65);
        const auto ring = [&] {
            bells::ring(playback, values, kSounds, 0, values.Zil[0], QStringLiteral("zil"), true);
        };

        ring(); // after silence
        QTRY_COMPARE(streamLevel(), bell);
        QVERIFY(playback.startRandomSong());
        QTRY_COMPARE(streamLevel(), levelOf(100));
        ring(); // replaces a song
        QTRY_COMPARE(streamLevel(), bell);
        ceremonies::play(playback, values, kSounds, 0);
        QTRY_COMPARE(streamLevel(), levelOf(90));
        playback.prepare(kSounds + Playback::kMelodiler + values.Zil[0], values.Sesx[7]);
        ring(); // made ready while the anthem played, replaces it
        QTRY_COMPARE(streamLevel(), bell);
        playback.stop();
        QTRY_COMPARE(streamLevel(), QString());
        ring(); // after a stopped bell
        QTRY_COMPARE(streamLevel(), bell);
        playback.play(kSounds + "/Anonslar/0.mp3", QString(), values.Sesx[4],
                      QStringLiteral("anons"), false);
        QTRY_COMPARE(streamLevel(), levelOf(80));
        ring(); // replaces an announcement
        QTRY_COMPARE(streamLevel(), bell);
        playback.stop();
    }

    // A bell made ready and held a while is reported finished only once its
    // last sample has played on the sound server, not when it was handed over.
    void preparedBellPlaysToItsEndOnTheServer() {
        qputenv("XDG_RUNTIME_DIR", kSessionRuntime);
        if (!soundServerRuns())
            QSKIP("no sound server");
        QTemporaryDir folder; // not TestFolders: it would hide the server's socket
        const QString tone = folder.filePath(QStringLiteral("Ton.wav"));
        QFile file(tone);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(toneWav(2.0));
        file.close();
        GstPlayer player;
        QSignalSpy finished(&player, &Player::finished);
        player.prepare(tone, 0);
        QTest::qWait(1000);
        QElapsedTimer clock;
        clock.start();
        player.open(tone);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 15000);
        QVERIFY(finished.first().first().toBool());
        QVERIFY2(
            clock.elapsed() >= 2000,
            qPrintable(
                QStringLiteral("finished after %1 ms of a 2000 ms tone").arg(clock.elapsed())));
    }

    // A file made ready ahead is the one that starts at its open(); any other
    // file plays as usual; a stop or an unload lets go of it; a broken one
    // fails at its open() as any broken file does.
    void preparedFileStartsAsMadeReady() {
        TestFolders folders;
        const QString bell = kSounds + "/Melodiler/Melodi 4.wav";
        GstPlayer player(kFastSink);
        QSignalSpy finished(&player, &Player::finished);
        QVERIFY(!player.holdsPipeline());
        player.prepare(bell, -300);
        QVERIFY(player.holdsPipeline());
        GstElement* readySink = player.audioSink();
        QTest::qWait(300);
        QCOMPARE(finished.size(), 0); // nothing plays before its open()
        player.open(bell);
        QCOMPARE(player.audioSink(), readySink);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QVERIFY(finished.last().first().toBool());

        player.prepare(bell, 0);
        player.open(kSounds + "/Anonslar/2.mp3");
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 10000);
        QVERIFY(finished.last().first().toBool());
        player.unload();
        QVERIFY(!player.holdsPipeline());
        player.prepare(bell, 0);
        player.stop();
        QVERIFY(!player.holdsPipeline());

        const QString broken = folders.root() + "/Bozuk.wav";
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(20000, '\x5a'));
        file.close();
        player.prepare(broken, 0);
        QTest::qWait(300);
        player.open(broken);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 3, 5000);
        QVERIFY(!finished.last().first().toBool());
        QTest::qWait(200);
        QCOMPARE(finished.size(), 3);
    }
};

QTEST_GUILESS_MAIN(PlayerTest)
#include "tst_player.moc"

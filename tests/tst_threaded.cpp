// The player and the mixer on threads of their own: what the window's thread
// sees of them while their thread waits, and what they do once it goes on.
#include "sound/ThreadedMixer.h"
#include "sound/ThreadedPlayer.h"
#include "support/TestFolders.h"

#include <QSignalSpy>
#include <QtTest>

#include <condition_variable>
#include <mutex>

namespace {
const QString kSounds = QStringLiteral(VELMAR_SOUNDS);

// A mixer each of whose calls waits until the test lets it go, as ALSA's
// pulse plugin does on a hung sound server. What it was set to is recorded.
struct Gate {
    std::mutex mutex;
    std::condition_variable open;
    bool held = true;
    std::vector<long> sets;
    void pass() {
        std::unique_lock<std::mutex> lock(mutex);
        open.wait(lock, [this] { return !held; });
    }
    void letGo() {
        std::lock_guard<std::mutex> lock(mutex);
        held = false;
        open.notify_all();
    }
};

class HangingMixer final : public Mixer {
public:
    explicit HangingMixer(Gate& gate) : gate_(gate) {}
    bool opened() const override { return open_; }
    bool tryOpen() override {
        gate_.pass();
        return open_ = true;
    }
    long minWaveVolume() const override { return 0; }
    long maxWaveVolume() const override { return 65536; }
    long minWavInVolume() const override { return 0; }
    long maxWavInVolume() const override { return 0; }
    long waveVolume() override {
        gate_.pass();
        std::lock_guard<std::mutex> lock(gate_.mutex);
        return gate_.sets.empty() ? 0 : gate_.sets.back();
    }
    long waveInVolume() override { return 0; }
    void setWaveVolume(long level) override {
        gate_.pass();
        std::lock_guard<std::mutex> lock(gate_.mutex);
        gate_.sets.push_back(level);
    }
    void setWaveInVolume(long) override {}
    int lastResult() const override { return 0; }

private:
    Gate& gate_;
    bool open_ = false;
};
} // namespace

class ThreadedTest : public QObject {
    Q_OBJECT
private slots:
    // Nothing waits on a mixer that hangs but its first use, a moment; the
    // levels set meanwhile come to the last one, and once it answers it is
    // taken up and whoever asked is told.
    void aHangingMixerHoldsUpNothing() {
        Gate gate;
        ThreadedMixer mixer([&gate] { return std::make_unique<HangingMixer>(gate); });
        QVERIFY(!mixer.opened());
        QVERIFY(!mixer.tryOpen()); // gave up waiting
        QVERIFY(mixer.opening());
        QVERIFY(!mixer.tryOpen());
        for (long level : {100L, 200L, 300L})
            mixer.setWaveVolume(level);
        QCOMPARE(mixer.waveVolume(), 0L);
        bool told = false;
        mixer.whenOpened([&told] { told = true; });
        gate.letGo();
        QTRY_VERIFY(told); // on this thread, through its event loop
        QVERIFY(mixer.tryOpen());
        QVERIFY(!mixer.opening());
        QCOMPARE(mixer.maxWaveVolume(), 65536L);
        QTRY_COMPARE(mixer.waveVolume(), 300L);
        std::lock_guard<std::mutex> lock(gate.mutex);
        QVERIFY(gate.sets.size() < 3);
        QCOMPARE(gate.sets.back(), 300L);
    }

    // A sound stopped or replaced never finishes, also when it was replaced
    // before the player's thread came to it; a broken file fails once, as
    // the file's fault; a good one starts and finishes once.
    void thePlayersPromisesAcrossItsThread() {
        TestFolders folders;
        ThreadedPlayer player(QStringLiteral("fakesink sync=true"));
        QSignalSpy finished(&player, &Player::finished);
        QSignalSpy started(&player, &Player::started);
        player.open(kSounds + "/Melodiler/Melodi 4.wav");
        player.open(kSounds + "/Melodiler/Melodi 4.wav");
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 10000);
        player.stop();
        player.open(folders.root() + "/Yok.mp3");
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QVERIFY(!finished.first().first().toBool());
        QVERIFY(!player.outputFailed());
        player.open(kSounds + "/Anonslar/2.mp3");
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 20000);
        // Had the stopped melody finished, it would have been before this.
        QVERIFY(finished.last().first().toBool());
        QCOMPARE(started.size(), 2);
    }
};

QTEST_GUILESS_MAIN(ThreadedTest)
#include "tst_threaded.moc"

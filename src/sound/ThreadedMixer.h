#pragma once

#include "sound/Mixer.h"

#include <functional>
#include <memory>

class QObject;
class WorkThread;

// A mixer whose every call runs on a thread of its own: ALSA's pulse plugin
// waits on the sound server without bound (a hung server holds it for good),
// and the window's thread never waits on it. The mixer is made and opened
// there at the first use, not before; the window's thread sees its bounds and
// the levels it last read, and levels set are handed over, the latest winning.
class ThreadedMixer final : public Mixer {
public:
    using Factory = std::function<std::unique_ptr<Mixer>()>;
    // `thread`: the one to run on, shared with the player so that a level set
    // before a sound starts is set before it starts; else one of its own.
    explicit ThreadedMixer(Factory make, std::shared_ptr<WorkThread> thread = {});
    // The levels set last still go to the mixer, a moment at most.
    ~ThreadedMixer() override;
    ThreadedMixer(const ThreadedMixer&) = delete;
    ThreadedMixer& operator=(const ThreadedMixer&) = delete;

    // The first use waits this long for the mixer to open; later ones never wait.
    static constexpr int kFirstOpenWaitMs = 1000;

    bool opened() const override;
    // Asks the mixer's thread to open it when it is not open, and answers
    // what is known: false while it is still opening.
    bool tryOpen() override;
    bool opening() const override;
    void whenOpened(std::function<void()> opened) override;
    long minWaveVolume() const override;
    long maxWaveVolume() const override;
    long minWavInVolume() const override;
    long maxWavInVolume() const override;
    // The level read last; it is read again meanwhile.
    long waveVolume() override;
    long waveInVolume() override;
    void setWaveVolume(long level) override;
    void setWaveInVolume(long level) override;
    int lastResult() const override;

private:
    struct Shared;
    void apply();

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<WorkThread> thread_;
    bool firstWaited_ = false;
    std::unique_ptr<QObject> receiver_; // on the window's thread, for whenOpened()
};

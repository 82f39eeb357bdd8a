#pragma once

#include "sound/Player.h"

#include <functional>
#include <memory>

class GstPlayer;
class WorkThread;

// The GStreamer player on a thread of its own. pulsesink waits on the sound
// server without bound in some of its state changes and property reads, and
// a hung server would hold the window's thread for good; here only the
// player's thread waits, and the window's thread goes on. Every call is
// handed over in order; a sound or a file made ready that a later one
// replaced before the player's thread got to it is passed over, so a thread
// that was held up does not play what is no longer due.
class ThreadedPlayer final : public Player {
    Q_OBJECT
public:
    // `audioSink` as for GstPlayer; `thread` the one to run on (see
    // ThreadedMixer), else one of its own.
    explicit ThreadedPlayer(const QString& audioSink = {}, std::shared_ptr<WorkThread> thread = {},
                            QObject* parent = nullptr);
    ~ThreadedPlayer() override;

    void open(const QString& path) override;
    void stop() override;
    void unload() override;
    void prepare(const QString& path, long hundredthsOfDb) override;
    void setOutput(const QString& name) override;
    void setVolume(long hundredthsOfDb) override;
    long volume() const override { return volume_; }
    bool outputFailed() const override { return outputFailed_; }

    // Runs `call` with the player on its thread and waits for it: for
    // benches and tests that look into the pipeline.
    void withPlayer(const std::function<void(GstPlayer&)>& call);

private:
    struct Shared;
    void post(std::function<void(GstPlayer&)> call);
    void report(quint64 sound, bool ended, bool ok, bool outputFailed);

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<WorkThread> thread_;
    quint64 sound_ = 0; // the number of the sound opened last
    bool playing_ = false;
    bool outputFailed_ = false;
    long volume_ = 0;
};

#pragma once

#include "sound/Mixer.h"

class OutputChoice;
class SoundServer;

// The master level of the output in use: an output's own volume
// (0..SoundServer::kFullVolume, no wave level), or the computer's mixer,
// which follows the default output, while the default is used by choice.
class OutputMixer final : public Mixer {
public:
    OutputMixer(Mixer& computer, const OutputChoice& choice)
        : computer_(computer), choice_(choice) {}

    bool opened() const override { return output() || computer_.opened(); }
    bool tryOpen() override { return output() || computer_.tryOpen(); }
    bool opening() const override { return !output() && computer_.opening(); }
    void whenOpened(std::function<void()> opened) override {
        computer_.whenOpened(std::move(opened));
    }
    long minWaveVolume() const override { return output() ? 0 : computer_.minWaveVolume(); }
    long maxWaveVolume() const override;
    long minWavInVolume() const override { return output() ? 0 : computer_.minWavInVolume(); }
    long maxWavInVolume() const override { return output() ? 0 : computer_.maxWavInVolume(); }
    long waveVolume() override;
    long waveInVolume() override { return output() ? 0 : computer_.waveInVolume(); }
    void setWaveVolume(long level) override;
    void setWaveInVolume(long level) override;
    int lastResult() const override { return output() ? result_ : computer_.lastResult(); }

private:
    // The server, when the level is an output's own volume.
    SoundServer* output() const;

    Mixer& computer_;
    const OutputChoice& choice_;
    int result_ = 0;
};

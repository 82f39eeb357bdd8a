#pragma once

#include "sound/Mixer.h"

#include <QByteArray>

typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

// The ALSA simple mixer of the "default" card: "Master" is the speakers
// master, "PCM" the wave playback level. On PulseAudio and PipeWire desktops
// "Master" follows the default output and "PCM" is absent.
class AlsaMixer final : public Mixer {
public:
    // A mixer that cannot be opened now is tried again on each use. A sound
    // server that was restarted leaves the old handle dead: a failed call
    // opens the mixer afresh once and tries again.
    explicit AlsaMixer(const QByteArray& card = "default");
    ~AlsaMixer() override;
    AlsaMixer(const AlsaMixer&) = delete;
    AlsaMixer& operator=(const AlsaMixer&) = delete;

    bool opened() const override { return handle_ != nullptr; }
    bool tryOpen() override { return handle_ || open(); }
    long minWaveVolume() const override { return master_.min; }
    long maxWaveVolume() const override { return master_.max; }
    long minWavInVolume() const override { return pcm_.min; }
    long maxWavInVolume() const override { return pcm_.max; }
    long waveVolume() override { return get(&AlsaMixer::master_); }
    long waveInVolume() override { return get(&AlsaMixer::pcm_); }
    void setWaveVolume(long level) override { set(&AlsaMixer::master_, level); }
    void setWaveInVolume(long level) override { set(&AlsaMixer::pcm_, level); }
    int lastResult() const override { return lastResult_; }

private:
    struct Control {
        snd_mixer_elem_t* element = nullptr;
        long min = 0;
        long max = 0;
    };
    bool open();
    void close();
    bool reopen();
    Control find(const char* name);
    long get(Control AlsaMixer::*control);
    void set(Control AlsaMixer::*control, long level);

    QByteArray card_;
    snd_mixer_t* handle_ = nullptr;
    Control master_;
    Control pcm_;
    int lastResult_ = 0;
};

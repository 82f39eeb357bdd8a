#pragma once

#include <functional>

// The computer's mixer, two channels: the speakers master (`WaveVolume`) and
// the wave playback level (`WaveInVolume`). A missing channel has both bounds
// at 0 and ignores writes. Every call keeps its result code in lastResult().
class Mixer {
public:
    virtual ~Mixer() = default;
    // False when no mixer could be opened (yet); the other calls then do nothing.
    virtual bool opened() const = 0;
    // Opens the mixer if it is not open: a sound server that was not ready
    // at log-on may be there by the first bell.
    virtual bool tryOpen() { return opened(); }
    // Not opened, and an attempt to open it has not come back yet (a sound
    // server that does not answer).
    virtual bool opening() const { return false; }
    // While opening(): `opened` is called on this thread once it has opened.
    virtual void whenOpened(std::function<void()> opened) { (void)opened; }
    virtual long minWaveVolume() const = 0;
    virtual long maxWaveVolume() const = 0;
    virtual long minWavInVolume() const = 0;
    virtual long maxWavInVolume() const = 0;
    virtual long waveVolume() = 0;
    virtual long waveInVolume() = 0;
    virtual void setWaveVolume(long level) = 0;
    virtual void setWaveInVolume(long level) = 0;
    virtual int lastResult() const = 0;
};

#pragma once

#include <QString>

class Mixer;

// The master slider's eleven positions mapped onto the two mixer channels,
// and muting between sounds. Without a mixer every call does nothing.
class MasterLevel {
public:
    explicit MasterLevel(Mixer* mixer = nullptr) : mixer_(mixer) {}

    // Takes the bounds and steps and mutes the computer.
    void setUp();
    // Position "0" is the loudest, "10" the quietest.
    void apply(const QString& masterVolume);
    void mute();
    // The mixer now acts on another output: its bounds are taken afresh.
    void outputChanged() { bounded_ = false; }

    long waveMin() const { return waveMin_; }
    long waveStep() const { return waveStep_; }

    static long levelFor(const QString& masterVolume, long step, long min);

private:
    // Takes the bounds once a mixer is there: one missing at start-up is
    // looked for again at each sound.
    bool hasBounds();

    Mixer* mixer_;
    bool bounded_ = false;
    long waveMin_ = 0;
    long waveInMin_ = 0;
    long waveStep_ = 0;
    long waveInStep_ = 0;
};

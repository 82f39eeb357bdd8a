#include "sound/MasterLevel.h"

#include "platform/ValueConversion.h"
#include "sound/Mixer.h"

#include <cmath>

void MasterLevel::setUp() {
    if (!mixer_)
        return;
    waveMin_ = mixer_->minWaveVolume();
    waveInMin_ = mixer_->minWavInVolume();
    waveStep_ = static_cast<long>(std::floor((mixer_->maxWaveVolume() - waveMin_) / 10.0));
    waveInStep_ = static_cast<long>(std::floor((mixer_->maxWavInVolume() - waveInMin_) / 10.0));
    mute();
}

long MasterLevel::levelFor(const QString& masterVolume, long step, long min) {
    const double position = conversion::leadingNumber(masterVolume);
    return static_cast<long>(std::nearbyint((10.0 - position) * step + min));
}

void MasterLevel::apply(const QString& masterVolume) {
    if (!mixer_)
        return;
    mixer_->setWaveVolume(levelFor(masterVolume, waveStep_, waveMin_));
    mixer_->setWaveInVolume(levelFor(masterVolume, waveInStep_, waveInMin_));
}

void MasterLevel::mute() {
    if (mixer_)
        mixer_->setWaveVolume(waveMin_);
}

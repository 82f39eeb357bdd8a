#include "sound/MasterLevel.h"

#include "core/ValueConversion.h"
#include "platform/EventLog.h"
#include "sound/Mixer.h"

#include <cmath>

void MasterLevel::setUp() {
    if (!mixer_)
        return;
    bounded_ = false;
    mute();
}

bool MasterLevel::hasBounds() {
    if (!mixer_)
        return false;
    if (!bounded_ && mixer_->tryOpen()) {
        waveMin_ = mixer_->minWaveVolume();
        waveInMin_ = mixer_->minWavInVolume();
        waveStep_ = static_cast<long>(std::floor((mixer_->maxWaveVolume() - waveMin_) / 10.0));
        waveInStep_ = static_cast<long>(std::floor((mixer_->maxWavInVolume() - waveInMin_) / 10.0));
        bounded_ = true;
    }
    return bounded_;
}

long MasterLevel::levelFor(const QString& masterVolume, long step, long min) {
    const double position = conversion::leadingNumber(masterVolume);
    return static_cast<long>(std::nearbyint((10.0 - position) * step + min));
}

void MasterLevel::apply(const QString& masterVolume) {
    if (!hasBounds()) {
        if (mixer_)
            eventlog::warning(QStringLiteral("Ses karıştırıcısı yok: ana ses düzeyi ayarlanamadı"));
        return;
    }
    mixer_->setWaveVolume(levelFor(masterVolume, waveStep_, waveMin_));
    mixer_->setWaveInVolume(levelFor(masterVolume, waveInStep_, waveInMin_));
}

void MasterLevel::mute() {
    if (hasBounds())
        mixer_->setWaveVolume(waveMin_);
}

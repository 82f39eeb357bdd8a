#include "sound/OutputMixer.h"

#include "platform/SoundServer.h"
#include "sound/OutputChoice.h"

SoundServer* OutputMixer::output() const {
    return choice_.levelOutput().isEmpty() ? nullptr : choice_.server();
}

long OutputMixer::maxWaveVolume() const {
    return output() ? SoundServer::kFullVolume : computer_.maxWaveVolume();
}

long OutputMixer::waveVolume() {
    SoundServer* server = output();
    if (!server)
        return computer_.waveVolume();
    const auto level = server->volume(choice_.levelOutput());
    result_ = level ? 0 : -1;
    return level.value_or(0);
}

void OutputMixer::setWaveVolume(long level) {
    if (SoundServer* server = output())
        result_ = server->setVolume(choice_.levelOutput(), level) ? 0 : -1;
    else
        computer_.setWaveVolume(level);
}

void OutputMixer::setWaveInVolume(long level) {
    if (!output())
        computer_.setWaveInVolume(level);
}

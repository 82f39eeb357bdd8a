#include "sound/AlsaMixer.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdarg>

namespace {
// ALSA prints its own complaints to stderr unless told otherwise.
void quietErrors(const char*, int, const char*, int, const char*, ...) {}
} // namespace

AlsaMixer::AlsaMixer(const QByteArray& card) : card_(card) {
    snd_lib_error_set_handler(&quietErrors);
    open();
}

AlsaMixer::~AlsaMixer() {
    close();
}

bool AlsaMixer::open() {
    snd_mixer_t* handle = nullptr;
    if ((lastResult_ = snd_mixer_open(&handle, 0)) < 0)
        return false;
    if ((lastResult_ = snd_mixer_attach(handle, card_.constData())) < 0 ||
        (lastResult_ = snd_mixer_selem_register(handle, nullptr, nullptr)) < 0 ||
        (lastResult_ = snd_mixer_load(handle)) < 0) {
        snd_mixer_close(handle);
        return false;
    }
    handle_ = handle;
    master_ = find("Master");
    pcm_ = find("PCM");
    return true;
}

void AlsaMixer::close() {
    if (handle_)
        snd_mixer_close(handle_);
    handle_ = nullptr;
    master_ = {};
    pcm_ = {};
}

// Keeps the bounds found at the start: the levels worked out from them stay valid.
bool AlsaMixer::reopen() {
    const Control master = master_;
    const Control pcm = pcm_;
    close();
    if (!open()) {
        master_ = {nullptr, master.min, master.max};
        pcm_ = {nullptr, pcm.min, pcm.max};
        return false;
    }
    return true;
}

AlsaMixer::Control AlsaMixer::find(const char* name) {
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, name);
    Control control;
    snd_mixer_elem_t* element = snd_mixer_find_selem(handle_, id);
    if (!element || !snd_mixer_selem_has_playback_volume(element))
        return control;
    long min = 0;
    long max = 0;
    if ((lastResult_ = snd_mixer_selem_get_playback_volume_range(element, &min, &max)) < 0)
        return control;
    control.element = element;
    control.min = min;
    control.max = max;
    return control;
}

long AlsaMixer::get(Control AlsaMixer::*control) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!tryOpen() || !(this->*control).element)
            return 0;
        long value = 0;
        if (snd_mixer_handle_events(handle_) >= 0 && // pick up changes made by others
            (lastResult_ = snd_mixer_selem_get_playback_volume(
                 (this->*control).element, SND_MIXER_SCHN_FRONT_LEFT, &value)) >= 0)
            return value;
        if (attempt == 0 && !reopen())
            return 0;
    }
    return 0;
}

void AlsaMixer::set(Control AlsaMixer::*control, long level) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!tryOpen())
            return;
        const Control& c = this->*control;
        if (!c.element)
            return;
        if (snd_mixer_handle_events(handle_) >= 0 &&
            (lastResult_ = snd_mixer_selem_set_playback_volume_all(
                 c.element, std::clamp(level, c.min, c.max))) >= 0)
            return;
        if (attempt == 0 && !reopen())
            return;
    }
}

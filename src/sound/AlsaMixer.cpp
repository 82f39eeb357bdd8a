#include "sound/AlsaMixer.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdarg>

namespace {
// ALSA prints its own complaints to stderr unless told otherwise.
void quietErrors(const char*, int, const char*, int, const char*, ...) {}
} // namespace

AlsaMixer::AlsaMixer(const QByteArray& card) {
    snd_lib_error_set_handler(&quietErrors);
    snd_mixer_t* handle = nullptr;
    if ((lastResult_ = snd_mixer_open(&handle, 0)) < 0)
        return;
    if ((lastResult_ = snd_mixer_attach(handle, card.constData())) < 0 ||
        (lastResult_ = snd_mixer_selem_register(handle, nullptr, nullptr)) < 0 ||
        (lastResult_ = snd_mixer_load(handle)) < 0) {
        snd_mixer_close(handle);
        return;
    }
    handle_ = handle;
    master_ = find("Master");
    pcm_ = find("PCM");
}

AlsaMixer::~AlsaMixer() {
    if (handle_)
        snd_mixer_close(handle_);
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

long AlsaMixer::get(const Control& control) {
    if (!handle_ || !control.element)
        return 0;
    snd_mixer_handle_events(handle_); // pick up changes made by others
    long value = 0;
    lastResult_ =
        snd_mixer_selem_get_playback_volume(control.element, SND_MIXER_SCHN_FRONT_LEFT, &value);
    return lastResult_ < 0 ? 0 : value;
}

void AlsaMixer::set(const Control& control, long level) {
    if (!handle_ || !control.element)
        return;
    lastResult_ = snd_mixer_selem_set_playback_volume_all(
        control.element, std::clamp(level, control.min, control.max));
}

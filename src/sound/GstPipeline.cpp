#include "sound/GstPipeline.h"

#include <QFile>
#include <QFileInfo>

#include <gst/gst.h>

#include <cmath>
#include <dlfcn.h>
#include <mutex>

namespace gstpipeline {
namespace {
constexpr int kPlayFlagAudio = 0x2;
constexpr int kPlayFlagSoftVolume = 0x10;

// FluidSynth opens libinstpatch for every synthesizer it makes (one per
// MIDI sound) and closes it with the synthesizer; each such round registers
// its property descriptions anew and leaves about 3 KB behind. One opening of
// our own, held for the run, turns those rounds into mere counts.
void holdInstPatchOpen() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Already loaded by FluidSynth if it uses it; never loaded here.
        void* library = dlopen("libinstpatch-1.0.so.2", RTLD_NOW | RTLD_NOLOAD);
        if (!library)
            return;
        if (auto open = reinterpret_cast<void (*)()>(dlsym(library, "ipatch_init")))
            open();
    });
}

// A desktop often carries libav too, whose mp3 decoder ranks level with
// mpg123's and wins by its name; once plugged, libavcodec and its kin (about
// 30 MB) stay mapped for the rest of the run. The decoders this program needs
// for wav, mp3 and MIDI come from the standard plugins and are put first.
void preferOwnDecoders() {
    for (const char* name : {"mpg123audiodec", "fluiddec"}) {
        GstPluginFeature* feature = gst_registry_lookup_feature(gst_registry_get(), name);
        if (!feature)
            continue;
        gst_plugin_feature_set_rank(feature, GST_RANK_PRIMARY + 1);
        gst_object_unref(feature);
    }
}

// Set on a pipeline whose sink plays what it holds as soon as it runs.
constexpr char kUnsynced[] = "velmar-unsynced";
// Set on it too: how long that sink's ring still plays after its last buffer.
constexpr char kTailMs[] = "velmar-tail-ms";
// The level a pipeline's sound is to play at, in hundredths of a dB, kept
// above zero (a stored 0 reads as none).
constexpr char kLevel[] = "velmar-level";
constexpr int kLevelBase = 1 << 24;

bool hasProperty(GstElement* element, const char* name) {
    return g_object_class_find_property(G_OBJECT_GET_CLASS(element), name) != nullptr;
}

bool madeBy(GstElement* element, const char* factoryName) {
    GstElementFactory* factory = gst_element_get_factory(element);
    return factory && g_strcmp0(GST_OBJECT_NAME(factory), factoryName) == 0;
}

double linearOf(long hundredthsOfDb) {
    return std::pow(10.0, hundredthsOfDb / 2000.0);
}

GstElement* pipelineOf(GstObject* element) {
    auto* top = static_cast<GstObject*>(gst_object_ref(element));
    while (GstObject* parent = gst_object_get_parent(top)) {
        gst_object_unref(top);
        top = parent;
    }
    return GST_ELEMENT(top); // the caller's reference
}

// The pulsesink the pipeline plays into, wherever it sits in the sink's bin;
// the caller's reference.
GstElement* pulseSinkOf(GstElement* pipeline) {
    GstElement* sink = nullptr;
    g_object_get(pipeline, "audio-sink", &sink, nullptr);
    if (!sink || madeBy(sink, "pulsesink"))
        return sink;
    GstElement* found = nullptr;
    GstIterator* it = GST_IS_BIN(sink) ? gst_bin_iterate_recurse(GST_BIN(sink)) : nullptr;
    GValue item = G_VALUE_INIT;
    while (it && !found && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* element = GST_ELEMENT(g_value_get_object(&item));
        if (madeBy(element, "pulsesink"))
            found = GST_ELEMENT(gst_object_ref(element));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    if (it)
        gst_iterator_free(it);
    gst_object_unref(sink);
    return found;
}

void setUpElement(GstElement* playbin, GstElement* element, gpointer) {
    if (madeBy(element, "fluiddec")) {
        holdInstPatchOpen();
        // Otherwise fluiddec may load a 140 MB SoundFont for every MIDI play.
        const QString font = soundFontPath();
        if (!font.isEmpty())
            g_object_set(element, "soundfont", QFile::encodeName(font).constData(), nullptr);
    }
    if (madeBy(element, "pulsesink")) {
        // Each sound sets its own level: the session manager need not give
        // it the program's last one. WirePlumber 0.5 heeds this; 0.4 does
        // not, and there onStateChanged() sets the level again.
        GstStructure* props =
            gst_structure_new("props", "state.restore-props", G_TYPE_STRING, "false", nullptr);
        g_object_set(element, "stream-properties", props, nullptr);
        gst_structure_free(props);
    }
    if (g_object_get_data(G_OBJECT(playbin), kUnsynced) &&
        GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK) && hasProperty(element, "sync")) {
        // A synchronized sink held prerolled starts its stream with as long a
        // silence as it was held (PulseAudio and PipeWire alike); one that
        // does not synchronize writes its first buffer at once, and the
        // server paces the rest.
        g_object_set(element, "sync", FALSE, nullptr);
        if (hasProperty(element, "buffer-time")) {
            gint64 bufferUs = 0;
            g_object_get(element, "buffer-time", &bufferUs, nullptr);
            g_object_set_data(G_OBJECT(playbin), kTailMs,
                              GINT_TO_POINTER(static_cast<int>(bufferUs / 1000)));
        }
    }
}
} // namespace

QString soundFontPath() {
    static const QString path = [] {
        for (const char* candidate :
             {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"}) {
            if (QFileInfo::exists(QString::fromLatin1(candidate)))
                return QString::fromLatin1(candidate);
        }
        return QString();
    }();
    return path;
}

GstElement* make(const QString& sinkDescription, const QString& output, bool unsynced,
                 BusHandler handler, void* data) {
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    static std::once_flag ranked;
    std::call_once(ranked, preferOwnDecoders);
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin)
        return nullptr; // no GStreamer base plugins: every file fails like a broken one
    g_object_set(playbin, "flags", kPlayFlagAudio | kPlayFlagSoftVolume, nullptr);
    if (unsynced)
        g_object_set_data(G_OBJECT(playbin), kUnsynced, GINT_TO_POINTER(1));
    // The sink carries its own volume element. Otherwise playbin makes a new
    // one for every sound when the sink has no volume (alsasink, fakesink),
    // and GStreamer 1.22.0 never frees it.
    // A chosen output is named to pulsesink: it then stays there when the
    // server's default moves (an HDMI monitor plugged in).
    const bool named = sinkDescription.isEmpty() && !output.isEmpty();
    const QString description =
        QStringLiteral("volume name=level ! ") + (!sinkDescription.isEmpty() ? sinkDescription
                                                  : named ? QStringLiteral("pulsesink name=output")
                                                          : QStringLiteral("autoaudiosink"));
    GError* error = nullptr;
    GstElement* sink =
        gst_parse_bin_from_description(description.toUtf8().constData(), TRUE, &error);
    if (GstElement* out = sink && named ? gst_bin_get_by_name(GST_BIN(sink), "output") : nullptr) {
        g_object_set(out, "device", output.toUtf8().constData(), nullptr);
        gst_object_unref(out);
    }
    if (sink)
        g_object_set(playbin, "audio-sink", sink, nullptr);
    if (error)
        g_error_free(error);
    g_signal_connect(playbin, "element-setup", G_CALLBACK(setUpElement), nullptr);
    GstBus* bus = gst_element_get_bus(playbin);
    gst_bus_set_sync_handler(bus, reinterpret_cast<GstBusSyncHandler>(handler), data, nullptr);
    gst_object_unref(bus);
    return playbin;
}

void setLevel(GstElement* pipeline, long hundredthsOfDb) {
    if (!pipeline)
        return;
    g_object_set_data(G_OBJECT(pipeline), kLevel,
                      GINT_TO_POINTER(static_cast<int>(hundredthsOfDb) + kLevelBase));
    g_object_set(pipeline, "volume", linearOf(hundredthsOfDb), nullptr);
}

// PipeWire's sound server (Debian 12's 0.3.65) opens a stream at full level
// whatever level the stream asks for, and its session manager may then give
// it the level of the program's previous stream. Once the stream is there,
// prerolled and not yet playing, its level is set again.
void onStateChanged(GstMessage* message) {
    GstState from = GST_STATE_NULL;
    GstState to = GST_STATE_NULL;
    gst_message_parse_state_changed(message, &from, &to, nullptr);
    GstElement* sink = GST_ELEMENT(GST_MESSAGE_SRC(message));
    if (from != GST_STATE_READY || to != GST_STATE_PAUSED || !madeBy(sink, "pulsesink"))
        return;
    GstElement* pipeline = pipelineOf(GST_OBJECT(sink));
    if (gpointer level = g_object_get_data(G_OBJECT(pipeline), kLevel))
        g_object_set(sink, "volume", linearOf(GPOINTER_TO_INT(level) - kLevelBase), nullptr);
    gst_object_unref(pipeline);
}

int tailMsOf(GstMessage* message) {
    return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(GST_MESSAGE_SRC(message)), kTailMs));
}

bool fromSink(GstMessage* message) {
    GstObject* source = GST_MESSAGE_SRC(message);
    return source && GST_IS_ELEMENT(source) &&
           GST_OBJECT_FLAG_IS_SET(source, GST_ELEMENT_FLAG_SINK);
}

std::optional<QString> streamOutput(GstElement* pipeline) {
    GstElement* sink = pipeline ? pulseSinkOf(pipeline) : nullptr;
    if (!sink)
        return std::nullopt;
    if (!hasProperty(sink, "current-device")) {
        gst_object_unref(sink);
        return std::nullopt;
    }
    // Asks the server: with its stream gone the sink answers nothing (and
    // posts an error on its bus).
    gchar* name = nullptr;
    g_object_get(sink, "current-device", &name, nullptr);
    gst_object_unref(sink);
    const QString output = QString::fromUtf8(name);
    g_free(name);
    return output;
}

bool intoSoundServer(GstElement* pipeline) {
    GstElement* sink = pulseSinkOf(pipeline);
    if (sink)
        gst_object_unref(sink);
    return sink != nullptr;
}

bool soundServerAnswers() {
    GstElement* probe = gst_element_factory_make("pulsesink", nullptr);
    if (!probe)
        return false;
    const bool answers = gst_element_set_state(probe, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
    gst_element_set_state(probe, GST_STATE_NULL);
    gst_object_unref(probe);
    return answers;
}

} // namespace gstpipeline

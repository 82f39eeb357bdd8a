#include "sound/GstPlayer.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

#include <gst/gst.h>

#include <cmath>
#include <dlfcn.h>
#include <mutex>

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

// PipeWire's sound server (Debian 12's 0.3.65) opens a stream at full level
// whatever level the stream asks for, and its session manager may then give
// it the level of the program's previous stream. Once the stream is there,
// prerolled and not yet playing, its level is set again.
void reassertLevel(GstMessage* message) {
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

void setUpElement(GstElement* playbin, GstElement* element, gpointer) {
    if (madeBy(element, "fluiddec")) {
        holdInstPatchOpen();
        // Otherwise fluiddec may load a 140 MB SoundFont for every MIDI play.
        const QString font = GstPlayer::soundFontPath();
        if (!font.isEmpty())
            g_object_set(element, "soundfont", QFile::encodeName(font).constData(), nullptr);
    }
    if (madeBy(element, "pulsesink")) {
        // Each sound sets its own level: the session manager need not give
        // it the program's last one. WirePlumber 0.5 heeds this; 0.4 does
        // not, and there reassertLevel() sets the level again.
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

QString GstPlayer::soundFontPath() {
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

GstPlayer::GstPlayer(const QString& audioSink, QObject* parent)
    : Player(parent), sinkDescription_(audioSink) {
    preparedExpiry_.setSingleShot(true);
    preparedExpiry_.setInterval(kPreparedKeptMs);
    connect(&preparedExpiry_, &QTimer::timeout, this, &GstPlayer::dropPrepared);
}

GstPlayer::~GstPlayer() {
    dropPrepared();
    dropPipeline(playbin_);
}

GstElement* GstPlayer::makePipeline(bool unsynced) {
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
    const bool named = sinkDescription_.isEmpty() && !output_.isEmpty();
    const QString sinkDescription =
        QStringLiteral("volume name=level ! ") + (!sinkDescription_.isEmpty() ? sinkDescription_
                                                  : named ? QStringLiteral("pulsesink name=output")
                                                          : QStringLiteral("autoaudiosink"));
    GError* error = nullptr;
    GstElement* sink =
        gst_parse_bin_from_description(sinkDescription.toUtf8().constData(), TRUE, &error);
    if (GstElement* output =
            sink && named ? gst_bin_get_by_name(GST_BIN(sink), "output") : nullptr) {
        g_object_set(output, "device", output_.toUtf8().constData(), nullptr);
        gst_object_unref(output);
    }
    if (sink)
        g_object_set(playbin, "audio-sink", sink, nullptr);
    if (error)
        g_error_free(error);
    g_signal_connect(playbin, "element-setup", G_CALLBACK(setUpElement), nullptr);
    GstBus* bus = gst_element_get_bus(playbin);
    gst_bus_set_sync_handler(bus, reinterpret_cast<GstBusSyncHandler>(&GstPlayer::onBusMessage),
                             this, nullptr);
    gst_object_unref(bus);
    return playbin;
}

// GStreamer and the pipeline come with the first sound and go when the
// player is idle: a program hidden in the tray between bells holds neither.
bool GstPlayer::ensurePipeline() {
    if (playbin_)
        return true;
    playbin_ = makePipeline();
    if (!playbin_)
        return false;
    GstBus* bus = gst_element_get_bus(playbin_);
    activeBus_ = bus;
    gst_object_unref(bus);
    applyVolume(playbin_, volume_);
    return true;
}

void GstPlayer::dropPipeline(GstElement*& pipeline) {
    if (!pipeline)
        return;
    gst_element_set_state(pipeline, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(pipeline);
    pipeline = nullptr;
}

void GstPlayer::dropPrepared() {
    preparedExpiry_.stop();
    preparedPath_.clear();
    dropPipeline(prepared_);
}

GstElement* GstPlayer::audioSink() {
    GstElement* pipeline = prepared_;
    if (!pipeline && ensurePipeline())
        pipeline = playbin_;
    GstElement* sink = nullptr;
    if (pipeline)
        g_object_get(pipeline, "audio-sink", &sink, nullptr);
    if (sink)
        gst_object_unref(sink); // playbin keeps its own reference
    return sink;
}

// The output is fixed when the pipeline is made: a new one is made for it.
void GstPlayer::setOutput(const QString& name) {
    if (name == output_)
        return;
    output_ = name;
    dropPrepared(); // made for the old output
    if (!playbin_)
        return;
    halt();
    dropPipeline(playbin_);
}

void GstPlayer::halt() {
    playing_ = false;
    if (playbin_)
        gst_element_set_state(playbin_, GST_STATE_NULL); // joins the old stream's threads
    // Counted after the old stream is down: whatever it reported carries the old number.
    ++generation_;
}

void GstPlayer::prepare(const QString& path, long hundredthsOfDb) {
    const QFileInfo info(path);
    if (prepared_ && preparedPath_ == info.absoluteFilePath()) {
        applyVolume(prepared_, hundredthsOfDb);
        preparedExpiry_.start();
        return;
    }
    dropPrepared();
    if (!info.isFile() || !info.isReadable())
        return; // its open() reports it
    prepared_ = makePipeline(true);
    if (!prepared_)
        return;
    preparedFailed_ = false;
    preparedPath_ = info.absoluteFilePath();
    gchar* uri = gst_filename_to_uri(QFile::encodeName(preparedPath_).constData(), nullptr);
    g_object_set(prepared_, "uri", uri, nullptr);
    g_free(uri);
    // Set before the sink is made: its stream is opened at this level.
    applyVolume(prepared_, hundredthsOfDb);
    // Prerolled: the file is open, its first buffer decoded and the stream on
    // the sound server, corked; at the bell only the cork comes off. Reached
    // on GStreamer's threads, so the pass that asks for it is not held up.
    if (gst_element_set_state(prepared_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        dropPrepared();
        return;
    }
    preparedExpiry_.start();
}

// The prepared pipeline becomes the one in use, and only its playback starts.
bool GstPlayer::startPrepared(const QString& path) {
    if (!prepared_ || preparedPath_ != QFileInfo(path).absoluteFilePath())
        return false;
    if (preparedFailed_ || !QFileInfo(path).isFile()) {
        dropPrepared(); // opened anew, it fails as any broken file does
        return false;
    }
    GstElement* spent = playbin_;
    playbin_ = prepared_;
    prepared_ = nullptr;
    preparedPath_.clear();
    preparedExpiry_.stop();
    GstBus* bus = gst_element_get_bus(playbin_);
    activeBus_ = bus;
    gst_object_unref(bus);
    applyVolume(playbin_, volume_);
    if (gst_element_set_state(playbin_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        finishLater(false);
    dropPipeline(spent); // already stopped by halt()
    return true;
}

void GstPlayer::open(const QString& path) {
    halt();
    playing_ = true;
    if (startPrepared(path))
        return;
    // The sink in use carries the level, and the sink is made anew for each
    // stream: a level set while the old one played went to the old sink.
    setVolume(volume_);
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable() || !ensurePipeline()) {
        finishLater(false);
        return;
    }
    gchar* uri =
        gst_filename_to_uri(QFile::encodeName(info.absoluteFilePath()).constData(), nullptr);
    g_object_set(playbin_, "uri", uri, nullptr);
    g_free(uri);
    if (gst_element_set_state(playbin_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        finishLater(false);
}

// Reported from the event loop, never from inside open(), and only for the
// file that is still playing. Safe from any thread.
void GstPlayer::finishLater(bool ok, int afterMs) {
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation, ok, afterMs] {
            const auto finish = [this, generation, ok] {
                if (generation != generation_ || !playing_)
                    return;
                halt();
                emit finished(ok);
            };
            if (afterMs > 0)
                QTimer::singleShot(afterMs, this, finish);
            else
                finish();
        },
        Qt::QueuedConnection);
}

void GstPlayer::stop() {
    halt();
    dropPrepared();
}

void GstPlayer::unload() {
    halt();
    dropPipeline(playbin_);
    dropPrepared();
}

void GstPlayer::setVolume(long hundredthsOfDb) {
    volume_ = hundredthsOfDb;
    applyVolume(playbin_, hundredthsOfDb);
}

void GstPlayer::applyVolume(GstElement* pipeline, long hundredthsOfDb) {
    if (!pipeline)
        return;
    g_object_set_data(G_OBJECT(pipeline), kLevel,
                      GINT_TO_POINTER(static_cast<int>(hundredthsOfDb) + kLevelBase));
    g_object_set(pipeline, "volume", linearOf(hundredthsOfDb), nullptr);
}

// Runs on whichever thread posted the message. Every message is dropped
// here, and a dropped message is the handler's to free.
int GstPlayer::onBusMessage(GstBus* bus, GstMessage* message, void* self) {
    auto* player = static_cast<GstPlayer*>(self);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_STATE_CHANGED)
        reassertLevel(message);
    if (bus != player->activeBus_) {
        // Not the pipeline in use: an error marks one made ready as broken,
        // to be opened anew when due.
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
            player->preparedFailed_ = true;
        gst_message_unref(message);
        return GST_BUS_DROP;
    }
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS: // posted by playbin once every sink is done
        // An unsynchronized sink is done when its last buffer is in its ring,
        // which still plays for a while: stopping now would cut the tail.
        player->finishLater(
            true, GPOINTER_TO_INT(g_object_get_data(G_OBJECT(GST_MESSAGE_SRC(message)), kTailMs)));
        break;
    case GST_MESSAGE_ERROR: // from any element: not a file we can play
        player->finishLater(false);
        break;
    default:
        break;
    }
    gst_message_unref(message);
    return GST_BUS_DROP;
}

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

void pinSoundFont(GstElement*, GstElement* element, gpointer) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (!factory || g_strcmp0(GST_OBJECT_NAME(factory), "fluiddec") != 0)
        return;
    holdInstPatchOpen();
    // Otherwise fluiddec may load a 140 MB SoundFont for every MIDI play.
    const QString font = GstPlayer::soundFontPath();
    if (!font.isEmpty())
        g_object_set(element, "soundfont", QFile::encodeName(font).constData(), nullptr);
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

GstElement* GstPlayer::makePipeline() {
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    static std::once_flag ranked;
    std::call_once(ranked, preferOwnDecoders);
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin)
        return nullptr; // no GStreamer base plugins: every file fails like a broken one
    g_object_set(playbin, "flags", kPlayFlagAudio | kPlayFlagSoftVolume, nullptr);
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
    g_signal_connect(playbin, "element-setup", G_CALLBACK(pinSoundFont), nullptr);
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
    prepared_ = makePipeline();
    if (!prepared_)
        return;
    preparedFailed_ = false;
    preparedPath_ = info.absoluteFilePath();
    gchar* uri = gst_filename_to_uri(QFile::encodeName(preparedPath_).constData(), nullptr);
    g_object_set(prepared_, "uri", uri, nullptr);
    g_free(uri);
    // Set before the sink is made: its stream is opened at this level.
    applyVolume(prepared_, hundredthsOfDb);
    // Ready, not rolled: the sink is made and connected to the sound server,
    // but a stream held paused for a while starts with as long a silence on
    // PulseAudio and PipeWire alike (seen on their null sinks).
    if (gst_element_set_state(prepared_, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
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
void GstPlayer::finishLater(bool ok) {
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation, ok] {
            if (generation != generation_ || !playing_)
                return;
            halt();
            emit finished(ok);
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
    if (pipeline)
        g_object_set(pipeline, "volume", std::pow(10.0, hundredthsOfDb / 2000.0), nullptr);
}

// Runs on whichever thread posted the message. Every message is dropped
// here, and a dropped message is the handler's to free.
int GstPlayer::onBusMessage(GstBus* bus, GstMessage* message, void* self) {
    auto* player = static_cast<GstPlayer*>(self);
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
        player->finishLater(true);
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

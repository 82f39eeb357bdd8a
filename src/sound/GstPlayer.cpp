#include "sound/GstPlayer.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

#include <gst/gst.h>

#include <cmath>

namespace {
constexpr int kPlayFlagAudio = 0x2;
constexpr int kPlayFlagSoftVolume = 0x10;

void pinSoundFont(GstElement*, GstElement* element, gpointer) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (!factory || g_strcmp0(GST_OBJECT_NAME(factory), "fluiddec") != 0)
        return;
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

GstPlayer::GstPlayer(const QString& audioSink, QObject* parent) : Player(parent) {
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    playbin_ = gst_element_factory_make("playbin", "MP");
    if (!playbin_)
        return; // no GStreamer base plugins: every file fails like a broken one
    g_object_set(playbin_, "flags", kPlayFlagAudio | kPlayFlagSoftVolume, nullptr);
    if (!audioSink.isEmpty()) {
        GError* error = nullptr;
        GstElement* sink =
            gst_parse_bin_from_description(audioSink.toUtf8().constData(), TRUE, &error);
        if (sink)
            g_object_set(playbin_, "audio-sink", sink, nullptr);
        if (error)
            g_error_free(error);
    }
    g_signal_connect(playbin_, "element-setup", G_CALLBACK(pinSoundFont), nullptr);
    GstBus* bus = gst_element_get_bus(playbin_);
    busWatch_ =
        gst_bus_add_watch(bus, reinterpret_cast<GstBusFunc>(&GstPlayer::onBusMessage), this);
    gst_object_unref(bus);
}

GstPlayer::~GstPlayer() {
    if (!playbin_)
        return;
    gst_element_set_state(playbin_, GST_STATE_NULL);
    if (busWatch_)
        g_source_remove(busWatch_);
    gst_object_unref(playbin_);
}

GstElement* GstPlayer::audioSink() const {
    GstElement* sink = nullptr;
    if (playbin_)
        g_object_get(playbin_, "audio-sink", &sink, nullptr);
    if (sink)
        gst_object_unref(sink); // playbin keeps its own reference
    return sink;
}

void GstPlayer::halt() {
    ++generation_;
    playing_ = false;
    if (!playbin_)
        return;
    // Drop whatever the old stream already posted, then stop it for good.
    GstBus* bus = gst_element_get_bus(playbin_);
    gst_bus_set_flushing(bus, TRUE);
    gst_element_set_state(playbin_, GST_STATE_NULL);
    gst_bus_set_flushing(bus, FALSE);
    gst_object_unref(bus);
}

void GstPlayer::open(const QString& path) {
    halt();
    playing_ = true;
    const QFileInfo info(path);
    if (!playbin_ || !info.isFile() || !info.isReadable()) {
        failLater();
        return;
    }
    gchar* uri =
        gst_filename_to_uri(QFile::encodeName(info.absoluteFilePath()).constData(), nullptr);
    g_object_set(playbin_, "uri", uri, nullptr);
    g_free(uri);
    if (gst_element_set_state(playbin_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        failLater();
}

// Reported from the event loop, never from inside open().
void GstPlayer::failLater() {
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != generation_ || !playing_)
                return;
            halt();
            emit finished(false);
        },
        Qt::QueuedConnection);
}

void GstPlayer::stop() {
    halt();
}

void GstPlayer::unload() {
    halt();
    if (playbin_)
        g_object_set(playbin_, "uri", nullptr, nullptr);
}

void GstPlayer::setVolume(long hundredthsOfDb) {
    volume_ = hundredthsOfDb;
    if (playbin_)
        g_object_set(playbin_, "volume", std::pow(10.0, hundredthsOfDb / 2000.0), nullptr);
}

int GstPlayer::onBusMessage(GstBus*, GstMessage* message, void* self) {
    static_cast<GstPlayer*>(self)->handle(message);
    return TRUE;
}

void GstPlayer::handle(GstMessage* message) {
    if (!playing_)
        return;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS: // posted by playbin once every sink is done
        halt();
        emit finished(true);
        break;
    case GST_MESSAGE_ERROR: // from any element: not a file we can play
        halt();
        emit finished(false);
        break;
    default:
        break;
    }
}

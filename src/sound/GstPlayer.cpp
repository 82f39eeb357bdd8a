#include "sound/GstPlayer.h"

#include "platform/EventLog.h"
#include "sound/GstPipeline.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

#include <gst/gst.h>

QString GstPlayer::soundFontPath() {
    return gstpipeline::soundFontPath();
}

GstPlayer::GstPlayer(const QString& audioSink, QObject* parent)
    : Player(parent), sinkDescription_(audioSink) {
    preparedExpiry_.setSingleShot(true);
    preparedExpiry_.setInterval(kPreparedKeptMs);
    connect(&preparedExpiry_, &QTimer::timeout, this, &GstPlayer::dropPrepared);
    preparedWatch_.setInterval(kPreparedCheckMs);
    connect(&preparedWatch_, &QTimer::timeout, this, &GstPlayer::checkPrepared);
}

GstPlayer::~GstPlayer() {
    dropPrepared();
    dropPipeline(playbin_);
}

GstElement* GstPlayer::makePipeline(bool unsynced) {
    return gstpipeline::make(sinkDescription_, output_, unsynced, &GstPlayer::onBusMessage, this);
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
    gstpipeline::setLevel(playbin_, volume_);
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
    preparedWatch_.stop();
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
    fromPrepared_ = false;
    startedSent_ = false;
    if (playbin_)
        gst_element_set_state(playbin_, GST_STATE_NULL); // joins the old stream's threads
    // Counted after the old stream is down: whatever it reported carries the old number.
    ++generation_;
}

void GstPlayer::prepare(const QString& path, long hundredthsOfDb) {
    const QFileInfo info(path);
    preparedLevel_ = hundredthsOfDb;
    if (prepared_ && preparedPath_ == info.absoluteFilePath()) {
        gstpipeline::setLevel(prepared_, hundredthsOfDb);
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
    preparedOutputFailed_ = false;
    preparedPath_ = info.absoluteFilePath();
    gchar* uri = gst_filename_to_uri(QFile::encodeName(preparedPath_).constData(), nullptr);
    g_object_set(prepared_, "uri", uri, nullptr);
    g_free(uri);
    // Set before the sink is made: its stream is opened at this level.
    gstpipeline::setLevel(prepared_, hundredthsOfDb);
    // Prerolled: the file is open, its first buffer decoded and the stream on
    // the sound server, corked; at the bell only the cork comes off. Reached
    // on GStreamer's threads, so the pass that asks for it is not held up.
    if (gst_element_set_state(prepared_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        dropPrepared();
        return;
    }
    preparedExpiry_.start();
    preparedWatch_.start();
}

// A stream may have gone with a sound server that restarted, or been moved
// by the server to another output when ours went away (it stays there when
// ours comes back). The server is asked where it is; false, with a line in
// the log, when it is not on the chosen output.
bool GstPlayer::streamInPlace(GstElement* pipeline, const QString& path) {
    const std::optional<QString> on = gstpipeline::streamOutput(pipeline);
    if (!on)
        return true; // not a sound server's stream
    const QString name = QFileInfo(path).fileName();
    if (on->isEmpty()) {
        eventlog::warning(
            QStringLiteral("Hazırlanan sesin ses sunucusuyla bağlantısı kopmuş: yeniden (%1)")
                .arg(name));
        return false;
    }
    if (!output_.isEmpty() && *on != output_) {
        eventlog::warning(
            QStringLiteral("Hazırlanan ses başka çıkışa taşınmış (%1, seçilen %2): yeniden (%3)")
                .arg(*on, output_, name));
        return false;
    }
    return true;
}

// Made ready while the sound server restarted, the desktop's default output
// took whatever else opened (ALSA directly, or nothing that is heard): once
// the server answers again, the bell goes to it.
bool GstPlayer::pastTheServer(GstElement* pipeline) {
    if (!sinkDescription_.isEmpty() || !output_.isEmpty() ||
        gstpipeline::intoSoundServer(pipeline) || !gstpipeline::soundServerAnswers())
        return false;
    eventlog::warning(QStringLiteral("Hazırlanan ses ses sunucusuna bağlanmamış: yeniden (%1)")
                          .arg(QFileInfo(preparedPath_).fileName()));
    return true;
}

// Every few seconds of its minute: a bell made ready whose stream is gone or
// elsewhere, or whose output could not be reached, is made ready again, so
// the bell still starts with only its cork off. A broken file is left for its
// open() to tell.
void GstPlayer::checkPrepared() {
    if (!prepared_ || (preparedFailed_ && !preparedOutputFailed_))
        return;
    if (!preparedFailed_ &&
        (gst_element_get_state(prepared_, nullptr, nullptr, 0) != GST_STATE_CHANGE_SUCCESS ||
         (streamInPlace(prepared_, preparedPath_) && !pastTheServer(prepared_))))
        return;
    const QString path = preparedPath_;
    dropPrepared();
    prepare(path, preparedLevel_);
}

// The prepared pipeline becomes the one in use, and only its playback starts.
// Where its stream is, is asked once it has started: the bell is not held up.
bool GstPlayer::startPrepared(const QString& path) {
    if (!prepared_ || preparedPath_ != QFileInfo(path).absoluteFilePath())
        return false;
    if (preparedFailed_ || !QFileInfo(path).isFile() || pastTheServer(prepared_)) {
        if (preparedFailed_) // its output failed while it waited, most likely
            eventlog::warning(QStringLiteral("Hazırlanan ses yeniden açılıyor (%1)")
                                  .arg(QFileInfo(path).fileName()));
        dropPrepared(); // opened anew: only that can tell a broken file
        return false;
    }
    GstElement* spent = playbin_;
    playbin_ = prepared_;
    prepared_ = nullptr;
    dropPrepared();
    GstBus* bus = gst_element_get_bus(playbin_);
    activeBus_ = bus;
    gst_object_unref(bus);
    gstpipeline::setLevel(playbin_, volume_);
    fromPrepared_ = true;
    if (gst_element_set_state(playbin_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        reopenLater();
    dropPipeline(spent); // already stopped by halt()
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == generation_ && playing_ && fromPrepared_ &&
                !streamInPlace(playbin_, path_))
                reopen();
        },
        Qt::QueuedConnection);
    return true;
}

void GstPlayer::open(const QString& path) {
    halt();
    playing_ = true;
    path_ = path;
    if (startPrepared(path))
        return;
    openFresh(path);
}

void GstPlayer::openFresh(const QString& path) {
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

// A bell made ready that failed to start (its server went away), or whose
// stream is not on the chosen output, is opened afresh at once.
void GstPlayer::reopen() {
    eventlog::warning(
        QStringLiteral("Hazırlanan ses yeniden açılıyor (%1)").arg(QFileInfo(path_).fileName()));
    halt();
    dropPipeline(playbin_);
    playing_ = true;
    openFresh(path_);
}

void GstPlayer::reopenLater() {
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == generation_ && playing_)
                reopen();
        },
        Qt::QueuedConnection);
}

// Reported from the event loop, never from inside open(), and only for the
// file that is still playing. Safe from any thread.
void GstPlayer::finishLater(bool ok, int afterMs, bool outputFailed) {
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation, ok, afterMs, outputFailed] {
            const auto finish = [this, generation, ok, outputFailed] {
                if (generation != generation_ || !playing_)
                    return;
                halt();
                outputFailed_ = !ok && outputFailed;
                emit finished(ok);
            };
            if (afterMs > 0)
                QTimer::singleShot(afterMs, this, finish);
            else
                finish();
        },
        Qt::QueuedConnection);
}

void GstPlayer::startedLater() {
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == generation_ && playing_ && !startedSent_) {
                startedSent_ = true;
                emit started();
            }
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
    gstpipeline::setLevel(playbin_, hundredthsOfDb);
}

// Runs on whichever thread posted the message. Every message is dropped
// here, and a dropped message is the handler's to free.
int GstPlayer::onBusMessage(GstBus* bus, GstMessage* message, void* self) {
    auto* player = static_cast<GstPlayer*>(self);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_STATE_CHANGED)
        gstpipeline::onStateChanged(message);
    if (bus != player->activeBus_) {
        // Not the pipeline in use: an error marks one made ready as broken,
        // to be opened anew when due.
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            player->preparedOutputFailed_ = gstpipeline::fromSink(message);
            player->preparedFailed_ = true;
        }
        gst_message_unref(message);
        return GST_BUS_DROP;
    }
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_STATE_CHANGED:
        if (GST_IS_PIPELINE(GST_MESSAGE_SRC(message))) {
            GstState to = GST_STATE_NULL;
            gst_message_parse_state_changed(message, nullptr, &to, nullptr);
            if (to == GST_STATE_PLAYING)
                player->startedLater();
        }
        break;
    case GST_MESSAGE_EOS: // posted by playbin once every sink is done
        // An unsynchronized sink is done when its last buffer is in its ring,
        // which still plays for a while: stopping now would cut the tail.
        player->finishLater(true, gstpipeline::tailMsOf(message));
        break;
    case GST_MESSAGE_ERROR:
        // Only a fresh pipeline's failure is the file's (or, from the sink, the output's).
        if (player->fromPrepared_.exchange(false))
            player->reopenLater();
        else
            player->finishLater(false, 0, gstpipeline::fromSink(message));
        break;
    default:
        break;
    }
    gst_message_unref(message);
    return GST_BUS_DROP;
}

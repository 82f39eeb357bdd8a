#pragma once

#include "sound/Player.h"

#include <QByteArray>

#include <atomic>

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;

// The player on GStreamer's playbin: wav and mp3 through the standard
// plugins, MIDI through FluidSynth with a small General MIDI SoundFont. The
// end of a file is taken from the bus on GStreamer's own threads and handed
// to the UI thread as a queued call, so it works under any Qt event loop.
class GstPlayer final : public Player {
    Q_OBJECT
public:
    // `audioSink` is a gst-launch description of the sink to play into
    // ("fakesink sync=true" in tests); empty means the desktop's default.
    explicit GstPlayer(const QString& audioSink = {}, QObject* parent = nullptr);
    ~GstPlayer() override;

    void open(const QString& path) override;
    void stop() override;
    void unload() override;
    void prepare() override { ensurePipeline(); }
    void setVolume(long hundredthsOfDb) override;
    long volume() const override { return volume_; }

    // For benchmarks and tests that watch the sink (it is made if need be).
    GstElement* audioSink();
    GstElement* pipeline() { return ensurePipeline() ? playbin_ : nullptr; }
    static QString soundFontPath();
    bool holdsPipeline() const { return playbin_ != nullptr; }

private:
    static int onBusMessage(GstBus* bus, GstMessage* message, void* self);
    void halt();
    bool ensurePipeline();
    void dropPipeline();
    void finishLater(bool ok);

    QString sinkDescription_;
    GstElement* playbin_ = nullptr;
    // Counts opened files; a report from an earlier one is dropped. Read on
    // GStreamer's threads, so atomic.
    std::atomic<quint64> generation_{0};
    bool playing_ = false;
    long volume_ = 0;
};

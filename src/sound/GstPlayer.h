#pragma once

#include "sound/Player.h"

#include <QByteArray>

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;

// The player on GStreamer's playbin: wav and mp3 through the standard
// plugins, MIDI through FluidSynth with a small General MIDI SoundFont. Bus
// messages arrive on Qt's own (GLib) event loop, on the UI thread.
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
    void setVolume(long hundredthsOfDb) override;
    long volume() const override { return volume_; }

    // For benchmarks and tests that watch the sink.
    GstElement* audioSink() const;
    static QString soundFontPath();

private:
    static int onBusMessage(GstBus* bus, GstMessage* message, void* self);
    void handle(GstMessage* message);
    void halt();
    void failLater();

    GstElement* playbin_ = nullptr;
    unsigned busWatch_ = 0;
    quint64 generation_ = 0; // guards against reports for replaced files
    bool playing_ = false;
    long volume_ = 0;
};

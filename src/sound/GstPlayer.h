#pragma once

#include "sound/Player.h"

#include <QByteArray>
#include <QTimer>

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
    void prepare(const QString& path, long hundredthsOfDb) override;
    void setOutput(const QString& name) override;
    void setVolume(long hundredthsOfDb) override;
    long volume() const override { return volume_; }
    bool outputFailed() const override { return outputFailed_; }

    // For benchmarks and tests that watch the sink: that of the pipeline the
    // next open() of a prepared file starts, else that of the one in use
    // (made if need be).
    GstElement* audioSink();
    GstElement* pipeline() { return ensurePipeline() ? playbin_ : nullptr; }
    static QString soundFontPath();
    bool holdsPipeline() const { return playbin_ != nullptr || prepared_ != nullptr; }
    // How long a prepared file is kept for an open() of it.
    static constexpr int kPreparedKeptMs = 75000;
    // How often the server is asked whether a prepared stream is still in place.
    static constexpr int kPreparedCheckMs = 2000;

private:
    static int onBusMessage(GstBus* bus, GstMessage* message, void* self);
    void halt();
    GstElement* makePipeline(bool unsynced = false);
    bool ensurePipeline();
    void dropPipeline(GstElement*& pipeline);
    void dropPrepared();
    bool startPrepared(const QString& path);
    bool streamInPlace(GstElement* pipeline, const QString& path);
    bool pastTheServer(GstElement* pipeline);
    void checkPrepared();
    void openFresh(const QString& path);
    void reopen();
    void reopenLater();
    void finishLater(bool ok, int afterMs = 0, bool outputFailed = false);
    void startedLater();

    QString sinkDescription_;
    QString output_; // the sound server's output, empty for the default
    GstElement* playbin_ = nullptr;
    // A file made ready and waiting for its open(); its bus reports nothing
    // until then, but for a failure.
    GstElement* prepared_ = nullptr;
    QString preparedPath_;
    std::atomic<bool> preparedFailed_{false};
    std::atomic<bool> preparedOutputFailed_{false}; // that failure was the sink's
    long preparedLevel_ = 0;
    QTimer preparedExpiry_;
    QTimer preparedWatch_;
    // The bus of playbin_, the one whose end and errors count.
    std::atomic<GstBus*> activeBus_{nullptr};
    // Counts opened files; a report from an earlier one is dropped. Read on
    // GStreamer's threads, so atomic.
    std::atomic<quint64> generation_{0};
    // The pipeline in use was made ready ahead: a failure of it is no
    // verdict on the file, which is opened afresh. Read on GStreamer's threads.
    std::atomic<bool> fromPrepared_{false};
    QString path_; // the file last opened
    bool playing_ = false;
    bool startedSent_ = false; // started() for the stream playing now
    bool outputFailed_ = false;
    long volume_ = 0;
};

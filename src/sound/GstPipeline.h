#pragma once

#include <QString>

#include <optional>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
typedef struct _GstBus GstBus;

// How the player's playbin pipelines are made and set up: decoders, the
// SoundFont, the sink and its output, the level. GstPlayer decides when.
namespace gstpipeline {

// Reports every message of a new pipeline's bus on the thread that posts it.
using BusHandler = int (*)(GstBus* bus, GstMessage* message, void* data);

// A playbin for audio into `sinkDescription` (a gst-launch description; empty
// for the sound server's `output` by name, or the desktop's default when that
// is empty too). `unsynced`: its sink plays what it holds as soon as it runs,
// for a pipeline held prerolled. Nothing when GStreamer lacks playbin.
GstElement* make(const QString& sinkDescription, const QString& output, bool unsynced,
                 BusHandler handler, void* data);

// Its sound at `hundredthsOfDb`, kept with it for a sink made later.
void setLevel(GstElement* pipeline, long hundredthsOfDb);

// For every state change: once a sound server's stream is there, its level
// is set again (see the .cpp).
void onStateChanged(GstMessage* message);

// How long the sink of the pipeline that posted `message` still plays after
// its last buffer; 0 for a synchronized one.
int tailMsOf(GstMessage* message);

// The error came from the sink: the output failed, not the file.
bool fromSink(GstMessage* message);

// The sound server's output that the pipeline's stream is on now, as the
// server tells it; empty when the stream is gone (the server went away).
// Nothing for a pipeline that does not play into a sound server.
std::optional<QString> streamOutput(GstElement* pipeline);
// Whether the pipeline plays into a sound server (its sink is pulsesink);
// nothing is asked of the server.
bool intoSoundServer(GstElement* pipeline);
// Whether a sound server takes a stream now: a pulsesink of its own is
// opened and let go again.
bool soundServerAnswers();

QString soundFontPath();

} // namespace gstpipeline

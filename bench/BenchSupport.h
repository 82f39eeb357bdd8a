#pragma once

// Helpers the benchmarks share: the first audio buffer at the player's sink,
// and the process's resident memory.
#include "sound/GstPlayer.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>

#include <gst/gst.h>

#include <atomic>
#include <chrono>

// Notes when the first buffer after arm() reaches the sink element named "out".
class FirstBufferProbe {
public:
    explicit FirstBufferProbe(GstPlayer& player) : player_(player) { attach(); }
    ~FirstBufferProbe() { detach(); }
    FirstBufferProbe(const FirstBufferProbe&) = delete;
    FirstBufferProbe& operator=(const FirstBufferProbe&) = delete;

    // The player drops its pipeline when idle: arming follows it to the one
    // in use now (making it, if need be, before the moment measured).
    void arm() {
        GstElement* out = gst_bin_get_by_name(GST_BIN(player_.audioSink()), "out");
        if (out != out_) {
            detach();
            attach();
        }
        if (out)
            gst_object_unref(out);
        seenNs_ = -1;
        wallMs_ = -1;
        armedNs_ = steadyNs();
    }
    bool seen() const { return seenNs_ >= 0; }
    double msSinceArm() const { return seen() ? (seenNs_ - armedNs_) / 1e6 : -1; }
    qint64 wallMs() const { return wallMs_; }

private:
    static qint64 steadyNs() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    static GstPadProbeReturn onBuffer(GstPad*, GstPadProbeInfo*, gpointer self) {
        auto* probe = static_cast<FirstBufferProbe*>(self);
        qint64 none = -1;
        if (probe->seenNs_.compare_exchange_strong(none, steadyNs()))
            probe->wallMs_ = QDateTime::currentMSecsSinceEpoch();
        return GST_PAD_PROBE_OK;
    }

    void attach() {
        out_ = gst_bin_get_by_name(GST_BIN(player_.audioSink()), "out");
        pad_ = gst_element_get_static_pad(out_, "sink");
        gst_pad_add_probe(pad_, GST_PAD_PROBE_TYPE_BUFFER, &FirstBufferProbe::onBuffer, this,
                          nullptr);
    }
    void detach() {
        gst_object_unref(pad_);
        gst_object_unref(out_);
    }

    GstPlayer& player_;
    GstElement* out_ = nullptr;
    GstPad* pad_ = nullptr;
    std::atomic<qint64> armedNs_{0};
    std::atomic<qint64> seenNs_{-1};
    std::atomic<qint64> wallMs_{-1};
};

inline double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

inline bool soundServerRuns() {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    return pactl.waitForFinished(3000) && pactl.exitCode() == 0;
}

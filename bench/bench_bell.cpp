// Lateness of a bell's first audio buffer at the sink after the minute
// boundary, with the real clock, the real scheduler and timer, and the real
// player. Every other minute rings a bell, so that each one comes after a
// quiet minute in which the player went idle, and each core is kept busy by
// a spinning thread meanwhile ("--no-load" leaves them be). The player runs on
// its thread and the server is asked whether it answers, as in the program.
// Usage: bench_bell [BELLS] [--no-load]
#include "BenchSupport.h"
#include "core/BellScheduler.h"
#include "core/StoredValues.h"
#include "platform/Clock.h"
#include "platform/MinuteTimer.h"
#include "platform/PulseSoundServer.h"
#include "sound/GstPlayer.h"
#include "sound/MasterLevel.h"
#include "sound/OutputChoice.h"
#include "sound/Playback.h"
#include "sound/ThreadedPlayer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {
// The first loud sample the sound server plays after arm(), read from its
// default sink's monitor: what the loudspeakers get, the server's own
// latency and the file's lead-in included.
class MonitorProbe {
public:
    MonitorProbe() {
        pipeline_ = gst_parse_launch("pulsesrc device=@DEFAULT_MONITOR@ latency-time=2000 "
                                     "buffer-time=40000 ! audio/x-raw,format=S16LE ! "
                                     "fakesink name=in sync=false",
                                     nullptr);
        GstElement* in = gst_bin_get_by_name(GST_BIN(pipeline_), "in");
        GstPad* pad = gst_element_get_static_pad(in, "sink");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &MonitorProbe::onBuffer, this, nullptr);
        gst_object_unref(pad);
        gst_object_unref(in);
        gst_element_set_state(pipeline_, GST_STATE_PLAYING);
    }
    ~MonitorProbe() {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
    }
    void arm() { loudMs_ = -1; }
    qint64 wallMs() const { return loudMs_; }

private:
    static GstPadProbeReturn onBuffer(GstPad*, GstPadProbeInfo* info, gpointer self) {
        auto* probe = static_cast<MonitorProbe*>(self);
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        GstMapInfo map;
        if (probe->loudMs_ >= 0 || !gst_buffer_map(buffer, &map, GST_MAP_READ))
            return GST_PAD_PROBE_OK;
        const auto* samples = reinterpret_cast<const qint16*>(map.data);
        for (gsize i = 0; i < map.size / 2; ++i) {
            if (std::abs(samples[i]) > 300) {
                probe->loudMs_ = QDateTime::currentMSecsSinceEpoch();
                break;
            }
        }
        gst_buffer_unmap(buffer, &map);
        return GST_PAD_PROBE_OK;
    }
    GstElement* pipeline_ = nullptr;
    std::atomic<qint64> loudMs_{-1};
};
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int minutes = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const bool load = !(argc > 2 && std::strcmp(argv[2], "--no-load") == 0);
    const bool server = soundServerRuns();
    ThreadedPlayer player(server ? QStringLiteral("pulsesink name=out")
                                 : QStringLiteral("fakesink name=out sync=true"));
    // The probe follows the player's pipelines on the player's thread.
    std::optional<FirstBufferProbe> probe;
    player.withPlayer([&probe](GstPlayer& inner) { probe.emplace(inner); });
    std::unique_ptr<MonitorProbe> monitor;
    if (server)
        monitor = std::make_unique<MonitorProbe>();

    SystemClock clock;
    StoredValues values;
    values.Zil = {QStringLiteral("Melodi 5.wav"), QStringLiteral("Melodi 6.wav"),
                  QStringLiteral("Melodi 4.wav")};
    values.Sesx.fill(80);
    values.timex.fill(QStringLiteral("__:__"));
    // Exit bells, one per row, every other minute from the next one on.
    const QDateTime first =
        QDateTime::fromSecsSinceEpoch((clock.now().toSecsSinceEpoch() / 60 + 1) * 60);
    for (int m = 0; m < minutes; ++m)
        values.timex[3 * m + 2] = first.addSecs(120 * m).toString(QStringLiteral("HH:mm"));
    MasterLevel master(nullptr);
    Playback playback(player, master, values, clock);
    playback.setAppPath(QStringLiteral(VELMAR_SOUNDS));
    PulseSoundServer soundServer;
    OutputChoice outputs(&soundServer);
    playback.setOutputs(&outputs);
    BellScheduler scheduler(values, playback, clock);
    scheduler.setAppPath(QStringLiteral(VELMAR_SOUNDS));

    std::vector<qint64> lateness;
    std::vector<qint64> audible;
    std::vector<qint64> woken; // the pass of second 0 begun, after the boundary
    qint64 boundary = first.toMSecsSinceEpoch();
    MinuteTimer timer;
    QObject::connect(&timer, &MinuteTimer::timeout, [&] {
        // Armed before the pass of a bell's minute: on the pipeline made ready for it.
        const qint64 passMs = clock.now().toMSecsSinceEpoch();
        if (passMs >= boundary && passMs < boundary + 30000 && woken.size() == lateness.size())
            woken.push_back(passMs - boundary);
        if (passMs >= boundary - 5000) {
            player.withPlayer([&probe](GstPlayer&) { probe->arm(); });
            if (monitor)
                monitor->arm();
        }
        const QDateTime due = scheduler.pass();
        timer.start(static_cast<int>(std::max<qint64>(0, clock.now().msecsTo(due))));
    });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (probe->wallMs() >= boundary && (!monitor || monitor->wallMs() >= boundary)) {
            lateness.push_back(probe->wallMs() - boundary);
            if (monitor)
                audible.push_back(monitor->wallMs() - boundary);
            boundary += 120000;
            if (static_cast<int>(lateness.size()) >= minutes)
                app.quit();
        }
    });
    watch.start(5);
    std::printf("sink: %s; ringing at %s and every other minute, %d bell(s); %s\n",
                server ? "PulseAudio" : "fakesink", qPrintable(first.toString("HH:mm")), minutes,
                load ? "every core kept busy" : "no load");
    std::fflush(stdout);
    std::atomic<bool> done{false};
    std::vector<std::thread> spinners;
    for (unsigned i = 0; load && i < std::max(1u, std::thread::hardware_concurrency()); ++i) {
        spinners.emplace_back([&done] {
            volatile unsigned long spins = 0;
            while (!done.load(std::memory_order_relaxed))
                spins = spins + 1;
        });
    }
    timer.start(1);
    app.exec();
    done = true;
    for (std::thread& spinner : spinners)
        spinner.join();
    // The first bell of the run, made ready like the others.
    std::printf("bell-lateness-first-ms %lld\n", static_cast<long long>(lateness.front()));
    std::vector<qint64> sorted = lateness;
    std::sort(sorted.begin(), sorted.end());
    std::printf("bell-lateness-median-ms %lld\nbell-lateness-worst-ms %lld\n",
                static_cast<long long>(sorted[sorted.size() / 2]),
                static_cast<long long>(sorted.back()));
    if (!woken.empty()) {
        std::sort(woken.begin(), woken.end());
        std::printf("bell-pass-begun-median-ms %lld\nbell-pass-begun-worst-ms %lld\n",
                    static_cast<long long>(woken[woken.size() / 2]),
                    static_cast<long long>(woken.back()));
    }
    if (!audible.empty()) {
        std::sort(audible.begin(), audible.end());
        std::printf("bell-audible-median-ms %lld\nbell-audible-worst-ms %lld\n",
                    static_cast<long long>(audible[audible.size() / 2]),
                    static_cast<long long>(audible.back()));
    }
    return 0;
}

// Lateness of a bell's first audio buffer at the sink after the minute
// boundary, with the real clock, the real scheduler and timer, and the real
// player, over consecutive minutes whose cells are set to ring.
#include "BenchSupport.h"
#include "core/BellScheduler.h"
#include "core/StoredValues.h"
#include "platform/Clock.h"
#include "platform/MinuteTimer.h"
#include "sound/GstPlayer.h"
#include "sound/MasterLevel.h"
#include "sound/Playback.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int minutes = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const bool server = soundServerRuns();
    GstPlayer player(server ? QStringLiteral("pulsesink name=out")
                            : QStringLiteral("fakesink name=out sync=true"));
    FirstBufferProbe probe(player);

    SystemClock clock;
    StoredValues values;
    values.Zil = {QStringLiteral("Melodi 5.wav"), QStringLiteral("Melodi 6.wav"),
                  QStringLiteral("Melodi 4.wav")};
    values.Sesx.fill(80);
    values.timex.fill(QStringLiteral("__:__"));
    // The next `minutes` minutes each ring a bell: exit bells, one per row.
    const QDateTime first =
        QDateTime::fromSecsSinceEpoch((clock.now().toSecsSinceEpoch() / 60 + 1) * 60);
    for (int m = 0; m < minutes; ++m)
        values.timex[3 * m + 2] = first.addSecs(60 * m).toString(QStringLiteral("HH:mm"));
    MasterLevel master(nullptr);
    Playback playback(player, master, values, clock);
    playback.setAppPath(QStringLiteral(VELMAR_SOUNDS));
    BellScheduler scheduler(values, playback, clock);
    scheduler.setAppPath(QStringLiteral(VELMAR_SOUNDS));

    std::vector<qint64> lateness;
    qint64 boundary = first.toMSecsSinceEpoch();
    MinuteTimer timer;
    QObject::connect(&timer, &MinuteTimer::timeout, [&] { timer.start(scheduler.pass(0)); });
    QObject::connect(&playback, &Playback::trayAni, [&](bool playing) {
        if (playing)
            probe.arm();
    });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (probe.wallMs() >= boundary) {
            lateness.push_back(probe.wallMs() - boundary);
            boundary += 60000;
            if (static_cast<int>(lateness.size()) >= minutes)
                app.quit();
        }
    });
    watch.start(5);
    std::printf("sink: %s; ringing at %s and the %d minute(s) after\n",
                server ? "PulseAudio" : "fakesink", qPrintable(first.toString("HH:mm")),
                minutes - 1);
    std::fflush(stdout);
    timer.start(1);
    app.exec();
    // The first bell also pays for GStreamer's start and the first pipeline.
    std::printf("bell-lateness-first-ms %lld\n", static_cast<long long>(lateness.front()));
    std::vector<qint64> sorted = lateness;
    std::sort(sorted.begin(), sorted.end());
    std::printf("bell-lateness-median-ms %lld\nbell-lateness-worst-ms %lld\n",
                static_cast<long long>(sorted[sorted.size() / 2]),
                static_cast<long long>(sorted.back()));
    return 0;
}

// Latency from Playback::play() to the first audio buffer at the sink, per format,
// first play and repeats; and resident memory over 1,000 plays back to back.
// Plays into PulseAudio when a server answers, else into a synchronised fakesink.
#include "BenchSupport.h"
#include "core/StoredValues.h"
#include "platform/Clock.h"
#include "sound/GstPlayer.h"
#include "sound/MasterLevel.h"
#include "sound/Playback.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
// Starts the file through Playback::play() from idle, as a bell does, and waits for its
// first buffer at the sink.
double playOnce(Playback& playback, FirstBufferProbe& probe, const QString& file) {
    playback.stop(); // the old stream's last buffers must not count
    probe.arm();
    QElapsedTimer waited;
    waited.start();
    playback.play(file, QString(), 80, QStringLiteral("bench"), false);
    while (!probe.seen() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return probe.msSinceArm();
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString sounds = QStringLiteral(VELMAR_SOUNDS);
    const bool server = soundServerRuns();
    const QString sink = server ? QStringLiteral("pulsesink name=out")
                                : QStringLiteral("fakesink name=out sync=true");
    GstPlayer player(sink);
    FirstBufferProbe probe(player);

    SystemClock clock;
    StoredValues values;
    MasterLevel master(nullptr);
    Playback playback(player, master, values, clock);

    std::printf("sink: %s\n", qPrintable(sink));
    std::printf("%-6s %12s %14s %14s\n", "format", "first (ms)", "repeat median", "repeat worst");
    const std::pair<const char*, QString> files[] = {{"wav", sounds + "/Melodiler/Melodi 4.wav"},
                                                     {"mp3", sounds + "/Melodiler/Melodi 2.mp3"},
                                                     {"midi", sounds + "/Melodiler/Melodi 3.mid"}};
    for (const auto& [format, file] : files) {
        const double first = playOnce(playback, probe, file);
        std::vector<double> repeats;
        for (int i = 0; i < 20; ++i)
            repeats.push_back(playOnce(playback, probe, file));
        std::sort(repeats.begin(), repeats.end());
        std::printf("%-6s %12.1f %14.1f %14.1f\n", format, first, repeats[10], repeats.back());
    }
    std::printf("aim: repeats under 15 ms for wav and mp3, under 100 ms for MIDI\n");

    const QString wav = sounds + "/Melodiler/Melodi 4.wav";
    for (int i = 0; i < 100; ++i)
        playOnce(playback, probe, wav);
    const double before = residentMb();
    for (int i = 1; i <= 1000; ++i) {
        playOnce(playback, probe, i % 2 ? wav : sounds + "/Melodiler/Melodi 2.mp3");
        if (i % 250 == 0)
            std::printf("resident memory after %4d more plays: %.1f MB (after warm-up %.1f MB)\n",
                        i, residentMb(), before);
    }
    playback.stop();
    return 0;
}

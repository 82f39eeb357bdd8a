// Time from a break song's end of stream to the next song's first buffer at
// the sink, with 10 and with 2,000 files in the music folder.
#include "BenchSupport.h"
#include "core/StoredValues.h"
#include "platform/Clock.h"
#include "sound/GstPlayer.h"
#include "sound/MasterLevel.h"
#include "sound/Playback.h"
#include "support/ToneWav.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
// A 0.3 s tone.
void writeSong(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(toneWav(0.3, 22050, 8000));
}

std::vector<double> measure(int files, int songs) {
    QTemporaryDir app;
    const QString music = app.path() + QStringLiteral("/Müzik");
    QDir().mkpath(music);
    writeSong(music + QStringLiteral("/song0.wav"));
    for (int i = 1; i < files; ++i)
        QFile::link(music + QStringLiteral("/song0.wav"),
                    music + QStringLiteral("/song%1.wav").arg(i));

    GstPlayer player(QStringLiteral("fakesink name=out sync=true"));
    FirstBufferProbe probe(player);
    bool waiting = false;
    // Connected before Playback's own handler, which starts the next song.
    QObject::connect(&player, &Player::finished, [&] {
        probe.arm();
        waiting = true;
    });
    SystemClock clock;
    StoredValues values;
    values.Sesx[3] = 10;
    MasterLevel master(nullptr);
    Playback playback(player, master, values, clock);
    playback.setAppPath(app.path());

    std::vector<double> gaps;
    playback.startRandomSong();
    int seen = 0;
    QElapsedTimer total;
    total.start();
    while (seen < songs && total.elapsed() < songs * 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (waiting && probe.seen()) {
            gaps.push_back(probe.msSinceArm());
            waiting = false;
            ++seen;
        }
    }
    playback.stop();
    return gaps;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    for (int files : {10, 2000}) {
        std::vector<double> gaps = measure(files, 15);
        std::sort(gaps.begin(), gaps.end());
        if (gaps.empty()) {
            std::printf("%5d files: no song followed\n", files);
            continue;
        }
        std::printf("%5d files: end of stream to next song's first buffer: median %.1f ms, "
                    "worst %.1f ms over %zu songs\n",
                    files, gaps[gaps.size() / 2], gaps.back(), gaps.size());
    }
    std::printf("aim: under 30 ms with 2,000 files\n");
    return 0;
}

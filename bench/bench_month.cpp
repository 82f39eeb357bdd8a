// A month of school days in one program: the assembled main window with the
// real player (into a fakesink that does not wait for the clock, so songs are
// decoded as fast as the machine goes), the default timetable and break music
// with the default MIDI songs, driven minute by minute by a fake clock.
// Prints heap in use and resident memory at the end of each school day, after
// the player went idle, and the growth per day from the second day on.
#include "core/Timetable.h"
#include "platform/EventLog.h"
#include "sound/GstPlayer.h"
#include "support/CountingPlayer.h"
#include "support/StartedForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <malloc.h>
#include <vector>

namespace {
double heapInUseMb() {
    return mallinfo2().uordblks / (1024.0 * 1024.0);
}

double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// Least-squares slope of `values` per step.
double slope(const std::vector<double>& values) {
    const double n = double(values.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        sx += double(i);
        sy += values[i];
        sxx += double(i) * double(i);
        sxy += double(i) * values[i];
    }
    const double d = n * sxx - sx * sx;
    return d == 0 ? 0 : (n * sxy - sx * sy) / d;
}
} // namespace

int main(int argc, char* argv[]) {
    // As the program itself sets them (see main.cpp).
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int schoolDays = argc > 1 ? std::max(2, atoi(argv[1])) : 20;

    eventlog::setSink([](eventlog::Level, const QString&) {});
    TestFolders folders;
    RecordingPlatform fakes;
    GstPlayer gst(QStringLiteral("fakesink sync=false"));
    CountingPlayer player(gst, [] { return QString(); });
    SettingsStore store;
    QDate day(2026, 12, 7); // a Monday
    fakes.clock.set(QDateTime(day, QTime(7, 30, 12)));
    Platform platform = fakes.platform();
    platform.player = &player;
    MainWindow form(platform, store);
    StartupContext context = contextFor(folders, 77);
    context.appPath = QStringLiteral(VELMAR_SOUNDS);
    if (!form.startUp(context))
        return 1;

    std::vector<double> heap, resident;
    qsizetype bells = 0, songs = 0;
    QElapsedTimer took;
    took.start();
    std::printf("%-4s %-10s %6s %6s %14s %14s\n", "day", "date", "bells", "songs", "heap in use",
                "resident");
    for (int d = 0; d < schoolDays; day = day.addDays(1)) {
        if (day.dayOfWeek() >= 6)
            continue;
        for (QDateTime t(day, QTime(7, 31)); t.time() < QTime(16, 0); t = t.addSecs(60)) {
            fakes.clock.set(t);
            emit form.activeSchedulerTimer().timeout();
            // A moment for the player; in a break with music, time for a song or two.
            QElapsedTimer settle;
            settle.start();
            const int budgetMs = form.playback().musicOn() ? 400 : 5;
            while (form.playback().playing() && settle.elapsed() < budgetMs)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        form.playback().stop(); // the evening: idle, as the program is
        QCoreApplication::processEvents();
        malloc_trim(0); // what the program does when the player goes idle
        qsizetype dayBells = 0, daySongs = 0;
        for (const auto& o : player.opened) {
            if (o.path.contains(QStringLiteral("/Melodiler/")))
                ++dayBells;
            else if (o.path.contains(QStringLiteral("/Müzik/")))
                ++daySongs;
        }
        player.opened.clear();
        bells += dayBells;
        songs += daySongs;
        heap.push_back(heapInUseMb());
        resident.push_back(residentMb());
        std::printf("%-4d %-10s %6lld %6lld %11.2f MB %11.1f MB\n", d + 1,
                    qPrintable(day.toString(Qt::ISODate)), static_cast<long long>(dayBells),
                    static_cast<long long>(daySongs), heap.back(), resident.back());
        std::fflush(stdout);
        ++d;
    }
    const std::vector<double> heapFromDay2(heap.begin() + 1, heap.end());
    const std::vector<double> residentFromDay2(resident.begin() + 1, resident.end());
    std::printf("school days %d, bells %lld, songs %lld, %.0f s\n", schoolDays,
                static_cast<long long>(bells), static_cast<long long>(songs),
                took.elapsed() / 1000.0);
    std::printf("month-heap-growth-mb-per-day %.3f\n", slope(heapFromDay2));
    std::printf("month-resident-first-day-mb %.1f\nmonth-resident-last-day-mb %.1f\n",
                resident.front(), resident.back());
    std::printf("month-resident-growth-mb-per-day %.3f\n", slope(residentFromDay2));
    return 0;
}

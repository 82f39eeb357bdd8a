#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <vector>

// The program's record of what it did and what went wrong: the systemd
// journal under the identifier "velmar-dorl" (read it with
// `journalctl --user -t velmar-dorl`), or standard error where no journal
// runs.
namespace eventlog {

enum class Level { Info, Warning };

void write(Level level, const QString& message);
inline void info(const QString& message) {
    write(Level::Info, message);
}
inline void warning(const QString& message) {
    write(Level::Warning, message);
}

// One logged line.
struct Entry {
    QDateTime when;
    Level level = Level::Info;
    QString message;
};

// What this run logged, oldest first: its last kRecentEntries lines, for a
// PC where no journal keeps them. Safe from any thread.
inline constexpr int kRecentEntries = 2000;
std::vector<Entry> recent();

// True when the lines go to the systemd journal.
bool toJournal();

// Tests take the lines themselves; an empty sink restores the journal.
using Sink = std::function<void(Level, const QString&)>;
void setSink(Sink sink);

} // namespace eventlog

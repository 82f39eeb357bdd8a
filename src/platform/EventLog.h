#pragma once

#include <QString>

#include <functional>

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

// Tests take the lines themselves; an empty sink restores the journal.
using Sink = std::function<void(Level, const QString&)>;
void setSink(Sink sink);

} // namespace eventlog

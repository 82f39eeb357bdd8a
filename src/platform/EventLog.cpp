#include "platform/EventLog.h"

// No source paths of the build machine in the program or the journal.
#define SD_JOURNAL_SUPPRESS_LOCATION

#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <cstdio>
#include <deque>
#include <mutex>

namespace eventlog {

namespace {
Sink& sink() {
    static Sink current;
    return current;
}

std::mutex recentLock;
std::deque<Entry>& recentEntries() {
    static std::deque<Entry> entries;
    return entries;
}

void remember(Level level, const QString& message) {
    const std::lock_guard<std::mutex> hold(recentLock);
    std::deque<Entry>& entries = recentEntries();
    entries.push_back({QDateTime::currentDateTime(), level, message});
    if (entries.size() > size_t(kRecentEntries))
        entries.pop_front();
}
} // namespace

std::vector<Entry> recent() {
    const std::lock_guard<std::mutex> hold(recentLock);
    return {recentEntries().cbegin(), recentEntries().cend()};
}

bool toJournal() {
    // sd_journal_send reports success when no journal runs at all.
    static const bool journal = ::access("/run/systemd/journal/socket", W_OK) == 0;
    return journal;
}

void setSink(Sink s) {
    sink() = std::move(s);
}

void write(Level level, const QString& message) {
    remember(level, message);
    if (sink()) {
        sink()(level, message);
        return;
    }
    const QByteArray text = message.toUtf8();
    const int priority = level == Level::Warning ? LOG_WARNING : LOG_INFO;
    if (!toJournal() || sd_journal_send("MESSAGE=%s", text.constData(), "PRIORITY=%i", priority,
                                        "SYSLOG_IDENTIFIER=velmar-dorl", nullptr) < 0) {
        std::fprintf(stderr, "velmar-dorl: %s\n", text.constData());
    }
}

} // namespace eventlog

#include "platform/EventLog.h"

// No source paths of the build machine in the program or the journal.
#define SD_JOURNAL_SUPPRESS_LOCATION

#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <cstdio>

namespace eventlog {

namespace {
Sink& sink() {
    static Sink current;
    return current;
}
} // namespace

void setSink(Sink s) {
    sink() = std::move(s);
}

void write(Level level, const QString& message) {
    if (sink()) {
        sink()(level, message);
        return;
    }
    // sd_journal_send reports success when no journal runs at all.
    static const bool journal = ::access("/run/systemd/journal/socket", W_OK) == 0;
    const QByteArray text = message.toUtf8();
    const int priority = level == Level::Warning ? LOG_WARNING : LOG_INFO;
    if (!journal || sd_journal_send("MESSAGE=%s", text.constData(), "PRIORITY=%i", priority,
                                    "SYSLOG_IDENTIFIER=velmar-dorl", nullptr) < 0) {
        std::fprintf(stderr, "velmar-dorl: %s\n", text.constData());
    }
}

} // namespace eventlog

#include "platform/JournalReader.h"

#include <QFile>

#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <memory>
#include <string>

namespace journal {

namespace {
// The text of `field` in the current entry, without "FIELD=".
std::optional<QByteArray> field(sd_journal* j, const char* name) {
    const void* data = nullptr;
    size_t length = 0;
    if (sd_journal_get_data(j, name, &data, &length) < 0)
        return std::nullopt;
    const size_t skip = std::char_traits<char>::length(name) + 1;
    if (length < skip)
        return std::nullopt;
    return QByteArray(static_cast<const char*>(data) + skip, qsizetype(length - skip));
}
} // namespace

std::optional<std::vector<eventlog::Entry>> read(const QDateTime& since, int limit,
                                                 const QString& directory) {
    sd_journal* opened = nullptr;
    const int r =
        directory.isEmpty()
            ? sd_journal_open(&opened, SD_JOURNAL_LOCAL_ONLY)
            : sd_journal_open_directory(&opened, QFile::encodeName(directory).constData(), 0);
    if (r < 0 || !opened)
        return std::nullopt;
    const std::unique_ptr<sd_journal, void (*)(sd_journal*)> j(opened, sd_journal_close);
    const std::string identifier = std::string("SYSLOG_IDENTIFIER=") + kIdentifier;
    const std::string uid = "_UID=" + std::to_string(::getuid());
    // Two fields: both must match.
    if (sd_journal_add_match(j.get(), identifier.c_str(), 0) < 0 ||
        sd_journal_add_match(j.get(), uid.c_str(), 0) < 0 || sd_journal_seek_tail(j.get()) < 0)
        return std::nullopt;

    const auto sinceUsec = static_cast<uint64_t>(since.toMSecsSinceEpoch()) * 1000;
    std::vector<eventlog::Entry> entries;
    // From the newest back: a large journal costs no more than `limit` lines.
    while (int(entries.size()) < limit && sd_journal_previous(j.get()) > 0) {
        uint64_t usec = 0;
        if (sd_journal_get_realtime_usec(j.get(), &usec) < 0)
            continue;
        if (usec < sinceUsec)
            break;
        const std::optional<QByteArray> message = field(j.get(), "MESSAGE");
        if (!message)
            continue;
        const std::optional<QByteArray> priority = field(j.get(), "PRIORITY");
        const bool warning = priority && priority->toInt() <= LOG_WARNING;
        entries.push_back({QDateTime::fromMSecsSinceEpoch(qint64(usec / 1000)),
                           warning ? eventlog::Level::Warning : eventlog::Level::Info,
                           QString::fromUtf8(*message)});
    }
    return entries;
}

} // namespace journal

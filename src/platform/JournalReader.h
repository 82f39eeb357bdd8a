#pragma once

#include "platform/EventLog.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// Reads back what this program logged to the systemd journal.
namespace journal {

inline const char* const kIdentifier = "velmar-dorl";

// This user's lines of this program since `since`, newest first, at most
// `limit` of them; from the journal files in `directory`, or from every local
// journal this user may read. Nothing when no journal can be opened.
std::optional<std::vector<eventlog::Entry>> read(const QDateTime& since, int limit,
                                                 const QString& directory = {});

} // namespace journal

#pragma once

#include <QString>

// Start at log-on with "-systray".
class LogonStart {
public:
    virtual ~LogonStart() = default;
    // Writes the entry for `programPath` unless an equal one is there already.
    virtual void ensureRegistered(const QString& programPath) = 0;
    // At a start from the entry: an entry of an older version is brought up to date,
    // the user's own changes kept; a missing entry stays missing.
    virtual void renewOldEntry(const QString& programPath) = 0;
};

// The desktop's own event sounds would come out of the school's loudspeakers.
class EventSounds {
public:
    virtual ~EventSounds() = default;
    virtual void silence() = 0;
};

// Hands a folder or a web address to the desktop.
class DesktopShell {
public:
    virtual ~DesktopShell() = default;
    virtual void open(const QString& pathOrUrl) = 0;
};

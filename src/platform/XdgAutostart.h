#pragma once

#include "platform/SystemIntegration.h"

#include <QString>

// The log-on start as an XDG autostart entry in the user's autostart folder
// ($XDG_CONFIG_HOME/autostart), starting the program with "-systray".
class XdgAutostart final : public LogonStart {
public:
    static QString entryPath();
    // The Exec line: the program's path quoted, so a folder with blanks in
    // its name starts this program and nothing else.
    static QString execLine(const QString& programPath);
    // The TryExec line: once the program is removed, the desktop passes the entry over.
    static QString tryExecLine(const QString& programPath);
    static QByteArray wantedEntry(const QString& programPath);

    void ensureRegistered(const QString& programPath) override;
    void renewOldEntry(const QString& programPath) override;
};

#pragma once

#include "platform/Setting.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

class QSettings;
class QTemporaryFile;

// The per-user settings file shared by the main program and the uninstaller.
// Every save is written through at once: synced, atomically replaced and
// flushed to disk before the call returns. A value the user's file lacks is
// looked up in the files an administrator put in XDG_CONFIG_DIRS
// (/etc/xdg/VelmarDorl/VelmarDorl.ini) before the built-in default; those
// files are only read.
class SettingsStore {
public:
    // The file lives in the user's config folder (XDG_CONFIG_HOME).
    static QString defaultFilePath();

    explicit SettingsStore(const QString& filePath = defaultFilePath());
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    QString filePath() const { return filePath_; }

    QString get(const QString& section, const QString& key, const QString& fallback) const;
    QString get(const settings::Setting& setting) const;

    // False when the value could not be made durable; the caller carries on.
    bool save(const QString& section, const QString& key, const QString& value);
    bool save(const settings::Setting& setting, const QString& value);
    // Many values at once, made durable together. After a failed save the
    // store holds what the file holds: nothing unwritten stays behind.
    bool saveAll(const std::vector<std::pair<settings::Setting, QString>>& values);
    // Writes a whole new file, every value of the current one with `values`
    // over them and without `removed`, and moves it over the old one; false
    // when nothing changed.
    bool replaceWith(const std::vector<std::pair<settings::Setting, QString>>& values,
                     const std::vector<settings::Setting>& removed = {});

    // Reads the file again, after another process replaced it.
    void reread();

    // A dated copy of the file beside it, "<file><tag><stamp>"; empty when
    // no copy could be made (also when there is no file yet).
    QString keepCopy(const QString& tag);

    // A file that could not be read as a whole is copied aside before the
    // first write, so the user's file is never silently lost.
    bool foundBroken() const { return broken_; }
    QString brokenCopyPath() const { return brokenCopy_; }

private:
    void open();
    bool prepareToWrite(bool cleanBrokenFile);
    bool write(const std::vector<std::pair<QString, QString>>& values);
    void startCleanFile();

    QString filePath_;
    std::unique_ptr<QSettings> settings_;
    // The safe lines of a file that would make QSettings stream values.
    std::unique_ptr<QTemporaryFile> salvaged_;
    std::vector<std::unique_ptr<QSettings>> system_;
    bool broken_ = false;
    QString brokenCopy_;
    bool reopen_ = false;
};

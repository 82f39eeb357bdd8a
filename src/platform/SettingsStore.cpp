#include "platform/SettingsStore.h"

#include "platform/IniGuard.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString fullKey(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

// Binary garbage or text that is not UTF-8 cannot be taken in as a whole.
bool streamsValues(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && iniguard::streamsValues(file.readAll());
}

bool looksBroken(const QString& path) {
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0'))
        return true;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded = decoder.decode(bytes);
    return decoder.hasError();
}

void syncToDisk(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dirFd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

} // namespace

QString SettingsStore::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/VelmarDorl/VelmarDorl.ini");
}

SettingsStore::SettingsStore(const QString& filePath) : filePath_(filePath) {
    reread();
    // The first location is the user's own; the rest are XDG_CONFIG_DIRS,
    // the most important first.
    const QStringList folders =
        QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    for (qsizetype i = 1; i < folders.size(); ++i) {
        const QString path = folders[i] + QStringLiteral("/VelmarDorl/VelmarDorl.ini");
        if (path != filePath_ && QFileInfo(path).isFile() && !streamsValues(path)) {
            system_.push_back(std::make_unique<QSettings>(path, QSettings::IniFormat));
            system_.back()->setFallbacksEnabled(false);
        }
    }
}

void SettingsStore::reread() {
    open();
    broken_ = settings_->status() == QSettings::FormatError || looksBroken(filePath_) ||
              salvaged_ != nullptr;
    brokenCopy_.clear();
    reopen_ = settings_->status() == QSettings::AccessError; // as after a failed write
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::get(const QString& section, const QString& key,
                           const QString& fallback) const {
    const QString full = fullKey(section, key);
    QVariant value = settings_->value(full);
    for (auto it = system_.cbegin(); !value.isValid() && it != system_.cend(); ++it)
        value = (*it)->value(full);
    if (!value.isValid())
        return fallback;
    // A key given twice in a hand-edited file comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

QString SettingsStore::get(const settings::Setting& setting) const {
    return get(setting.section, setting.key, setting.defaultValue);
}

// After a failed write the store starts a fresh QSettings before the next
// one: the old object keeps reporting the failure even when a later write
// succeeds.
bool SettingsStore::prepareToWrite(bool cleanBrokenFile) {
    if (reopen_) {
        open();
        // The reopened file could not take back what it held: still failing.
        if (settings_->status() == QSettings::AccessError)
            return false;
        reopen_ = false;
        if (settings_->status() == QSettings::FormatError || looksBroken(filePath_) || salvaged_) {
            broken_ = true; // broken since: kept aside again
            brokenCopy_.clear();
        }
    }
    if (broken_ && brokenCopy_.isEmpty()) {
        brokenCopy_ = keepCopy(QStringLiteral(".broken-"));
        if (brokenCopy_.isEmpty())
            return false; // never overwrite a file we could not keep a copy of
        if (cleanBrokenFile)
            startCleanFile();
    }
    QDir().mkpath(QFileInfo(filePath_).absolutePath());
    return true;
}

void SettingsStore::open() {
    settings_.reset(); // first: the old object flushes what it still holds
    salvaged_.reset();
    QString readFrom = filePath_;
    QFile file(filePath_);
    if (file.open(QIODevice::ReadOnly)) {
        // Such a file is read from a copy of its safe lines; it stays as it
        // is until the first write keeps it aside, as any broken one.
        const QByteArray bytes = file.readAll();
        if (iniguard::streamsValues(bytes)) {
            salvaged_ = std::make_unique<QTemporaryFile>();
            if (salvaged_->open()) {
                salvaged_->write(iniguard::safeLines(bytes));
                salvaged_->flush();
            }
            readFrom = salvaged_->fileName(); // none: nothing is read
        }
    }
    settings_ = std::make_unique<QSettings>(readFrom, QSettings::IniFormat);
    settings_->setFallbacksEnabled(false);
    // QSettings parses a section when first asked for it: damage deep in the
    // file shows only then, and a write would drop the damaged lines.
    settings_->allKeys();
}

bool SettingsStore::write(const std::vector<std::pair<QString, QString>>& values) {
    if (!prepareToWrite(true))
        return false;
    std::vector<std::pair<QString, QVariant>> before;
    for (const auto& [key, value] : values) {
        before.emplace_back(key, settings_->value(key));
        settings_->setValue(key, value);
    }
    settings_->sync();
    if (settings_->status() == QSettings::NoError) {
        syncToDisk(filePath_);
        return true;
    }
    // QSettings keeps a value it could not write and writes it with the
    // next change, also through a new object for the same file: put back
    // what the file holds so that nothing unwritten ever reaches it.
    for (const auto& [key, value] : before) {
        if (value.isValid())
            settings_->setValue(key, value);
        else
            settings_->remove(key);
    }
    reopen_ = true;
    return false;
}

bool SettingsStore::save(const QString& section, const QString& key, const QString& value) {
    return write({{fullKey(section, key), value}});
}

bool SettingsStore::save(const settings::Setting& setting, const QString& value) {
    return save(setting.section, setting.key, value);
}

bool SettingsStore::saveAll(const std::vector<std::pair<settings::Setting, QString>>& values) {
    std::vector<std::pair<QString, QString>> keyed;
    for (const auto& [setting, value] : values)
        keyed.emplace_back(fullKey(setting.section, setting.key), value);
    return write(keyed);
}

bool SettingsStore::replaceWith(const std::vector<std::pair<settings::Setting, QString>>& values,
                                const std::vector<settings::Setting>& removed) {
    if (!prepareToWrite(false))
        return false;
    const QString temporary = filePath_ + QStringLiteral(".new");
    QFile::remove(temporary);
    bool written = false;
    {
        QSettings next(temporary, QSettings::IniFormat);
        next.setFallbacksEnabled(false);
        for (const QString& key : settings_->allKeys())
            next.setValue(key, settings_->value(key));
        for (const auto& [setting, value] : values)
            next.setValue(fullKey(setting.section, setting.key), value);
        for (const settings::Setting& setting : removed)
            next.remove(fullKey(setting.section, setting.key));
        next.sync();
        written = next.status() == QSettings::NoError;
    }
    if (written) {
        syncToDisk(temporary);
        written = std::rename(QFile::encodeName(temporary).constData(),
                              QFile::encodeName(filePath_).constData()) == 0;
    }
    if (!written) {
        QFile::remove(temporary);
        return false;
    }
    syncToDisk(filePath_);
    open();
    broken_ = false;
    return true;
}

// QSettings will not write over a file it could not parse; start a clean one
// from whatever could be read.
void SettingsStore::startCleanFile() {
    QVariantMap readable;
    for (const QString& key : settings_->allKeys())
        readable.insert(key, settings_->value(key));
    settings_.reset();
    salvaged_.reset();
    QFile::remove(filePath_);
    settings_ = std::make_unique<QSettings>(filePath_, QSettings::IniFormat);
    settings_->setFallbacksEnabled(false);
    for (auto it = readable.cbegin(); it != readable.cend(); ++it)
        settings_->setValue(it.key(), it.value());
}

QString SettingsStore::keepCopy(const QString& tag) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = filePath_ + tag + stamp;
    for (int n = 1; QFile::exists(target); ++n)
        target = filePath_ + tag + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::copy(filePath_, target))
        return {};
    syncToDisk(target);
    return target;
}

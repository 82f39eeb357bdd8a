#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString fullKey(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

// Binary garbage or text that is not UTF-8 cannot be taken in as a whole.
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

SettingsStore::SettingsStore(const QString& filePath)
    : filePath_(filePath), settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {
    settings_->setFallbacksEnabled(false);
    broken_ = settings_->status() == QSettings::FormatError || looksBroken(filePath_);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::get(const QString& section, const QString& key,
                           const QString& fallback) const {
    const QVariant value = settings_->value(fullKey(section, key));
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

bool SettingsStore::prepareToWrite() {
    if (broken_ && brokenCopy_.isEmpty()) {
        brokenCopy_ = keepCopy(QStringLiteral(".broken-"));
        if (brokenCopy_.isEmpty())
            return false; // never overwrite a file we could not keep a copy of
        startCleanFile();
    }
    QDir().mkpath(QFileInfo(filePath_).absolutePath());
    return true;
}

bool SettingsStore::finishWrite() {
    settings_->sync();
    if (settings_->status() != QSettings::NoError)
        return false;
    syncToDisk(filePath_);
    return true;
}

bool SettingsStore::save(const QString& section, const QString& key, const QString& value) {
    if (!prepareToWrite())
        return false;
    settings_->setValue(fullKey(section, key), value);
    return finishWrite();
}

bool SettingsStore::save(const settings::Setting& setting, const QString& value) {
    return save(setting.section, setting.key, value);
}

bool SettingsStore::saveAll(const std::vector<std::pair<settings::Setting, QString>>& values) {
    if (!prepareToWrite())
        return false;
    for (const auto& [setting, value] : values)
        settings_->setValue(fullKey(setting.section, setting.key), value);
    return finishWrite();
}

// QSettings will not write over a file it could not parse; start a clean one
// from whatever could be read.
void SettingsStore::startCleanFile() {
    QVariantMap readable;
    for (const QString& key : settings_->allKeys())
        readable.insert(key, settings_->value(key));
    settings_.reset();
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

#include "core/Backup.h"

#include "core/SettingsTable.h"
#include "platform/IniGuard.h"
#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>

#include <cstdio>

namespace backup {

namespace {
constexpr qint64 kMaxFileBytes = 1024 * 1024; // an export is a few kilobytes

const QString kProgramKey = QStringLiteral("Program");
const QString kDateKey = QStringLiteral("Tarih");

QString fullKey(const settings::Setting& setting) {
    return setting.section + QLatin1Char('/') + setting.key;
}

QString textOf(const QVariant& value) {
    // A value with commas may come back as a list, as in the settings file.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

// Text the settings format can take in: no NUL bytes, valid UTF-8.
QString textProblem(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Dosya açılamadı: %1").arg(file.errorString());
    if (file.size() > kMaxFileBytes)
        return QStringLiteral("Dosya bir yedek için çok büyük (%1 KB).").arg(file.size() / 1024);
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded = decoder.decode(bytes);
    if (bytes.contains('\0') || decoder.hasError())
        return QStringLiteral("Dosya bir metin dosyası değil.");
    if (iniguard::streamsValues(bytes))
        return QStringLiteral("Dosya bir ayar dosyası olarak okunamadı.");
    return {};
}
} // namespace

std::vector<settings::Setting> rows() {
    std::vector<settings::Setting> carried;
    for (const settings::Setting& s : settings::table()) {
        if (s.shape != settings::Shape::Internal)
            carried.push_back(s);
    }
    return carried;
}

QString exportTo(const SettingsStore& store, const QString& path) {
    // Written beside the target and moved over it whole: a failed export
    // never leaves half a file, and an old file's keys never mix in.
    const QString temporary = path + QStringLiteral(".part");
    QFile::remove(temporary);
    {
        QSettings out(temporary, QSettings::IniFormat);
        out.setValue(kMarkSection + QLatin1Char('/') + kProgramKey, kProgram);
        out.setValue(kMarkSection + QLatin1Char('/') + kDateKey,
                     QDateTime::currentDateTime().toString(Qt::ISODate));
        for (const settings::Setting& s : rows())
            out.setValue(fullKey(s), store.get(s));
        out.sync();
        if (out.status() != QSettings::NoError) {
            QFile::remove(temporary);
            return QStringLiteral("Dosya yazılamadı: %1").arg(path);
        }
    }
    if (std::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temporary);
        return QStringLiteral("Dosya yazılamadı: %1").arg(path);
    }
    return {};
}

Checked read(const QString& path) {
    if (!QFileInfo(path).isFile())
        return {QStringLiteral("Dosya bulunamadı: %1").arg(path), {}};
    if (QString problem = textProblem(path); !problem.isEmpty())
        return {problem, {}};
    QSettings in(path, QSettings::IniFormat);
    if (in.status() != QSettings::NoError)
        return {QStringLiteral("Dosya bir ayar dosyası olarak okunamadı."), {}};
    if (textOf(in.value(kMarkSection + QLatin1Char('/') + kProgramKey)) != kProgram)
        return {QStringLiteral("Bu dosya bir Velmar Dorl yedeği değil."), {}};

    const std::vector<settings::Setting> carried = rows();
    for (const QString& key : in.allKeys()) {
        if (key.startsWith(kMarkSection + QLatin1Char('/')))
            continue;
        const bool known =
            std::any_of(carried.cbegin(), carried.cend(),
                        [&](const settings::Setting& s) { return fullKey(s) == key; });
        if (!known)
            return {QStringLiteral("Yedekte bilinmeyen bir ayar var: %1").arg(key), {}};
    }
    Checked checked;
    for (const settings::Setting& s : carried) {
        const QVariant value = in.value(fullKey(s));
        if (!value.isValid() && s.optionalInBackup) {
            checked.absent.push_back(s);
            continue;
        }
        if (!value.isValid())
            return {QStringLiteral("Yedekte bir ayar eksik: %1").arg(fullKey(s)), {}};
        const QString text = textOf(value);
        if (!settings::fits(s, text))
            return {QStringLiteral("Yedekte geçersiz bir değer var: %1 = \"%2\"")
                        .arg(fullKey(s), text.left(40)),
                    {}};
        checked.values.emplace_back(s, text);
    }
    return checked;
}

QString importFrom(SettingsStore& store, const QString& path, QString* copy) {
    const Checked checked = read(path);
    if (!checked.problem.isEmpty())
        return checked.problem;
    if (QFile::exists(store.filePath())) {
        const QString kept = store.keepCopy(QStringLiteral(".before-import-"));
        if (kept.isEmpty())
            return QStringLiteral("Şimdiki ayarların kopyası alınamadı; hiçbir şey değişmedi.");
        if (copy)
            *copy = kept;
    }
    if (!store.replaceWith(checked.values, checked.absent))
        return QStringLiteral("Ayar dosyası yazılamadı, hiçbir şey değişmedi: %1")
            .arg(store.filePath());
    return {};
}

} // namespace backup

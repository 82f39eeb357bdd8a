#pragma once

#include <QString>

#include <functional>

// The two stages of sil. Started from an installation it only records where
// that is, copies itself as "sill" and starts the copy; the copy removes.
namespace stages {

// The copy is recognised by its name alone, compared exactly.
bool isCopy(const QString& programPath);

// The first stage: 0 when the copy was started; otherwise `warn` was told why
// and nothing was recorded, copied or started.
int runFirst(const QString& programPath, const std::function<void(const QString&)>& warn,
             const std::function<bool(const QString& copy)>& start);

inline const QString kWrongFolder =
    QStringLiteral("Bu kaldırma programı bir Velmar Dorl kurulumunun \"Kaldır\" klasöründe "
                   "değil. Hiçbir şey silinmedi.");

} // namespace stages

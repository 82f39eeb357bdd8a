#pragma once

#include <QString>

// The program's public addresses and credits, kept in one place to change.
namespace aboutinfo {

// Where updates are published.
inline const QString kUpdateAddress = QStringLiteral("https://velmar-dorl.example.org/guncelleme");
// Where users reach the developers.
inline const QString kContactAddress = QStringLiteral("iletisim@velmar-dorl.example.org");
inline const QString kAuthorLine = QStringLiteral("Velmar Dorl geliştiricileri");
inline const QString kDateLine = QStringLiteral("Aralık 2026");

} // namespace aboutinfo

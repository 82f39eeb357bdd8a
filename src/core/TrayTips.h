#pragma once

#include <QString>

// Tip texts of the tray icon, at most 63 characters.
namespace traytips {

inline constexpr int kMaxLength = 63;

inline QString idle() {
    return QStringLiteral("Velmar Dorl   (Çalışıyor)");
}

inline QString playing(const QString& info) {
    return (QStringLiteral("Velmar Dorl   (") + info + QStringLiteral(" çalıyor.)"))
        .left(kMaxLength);
}

// What a second start puts back while a sound plays.
inline QString reshown(const QString& info) {
    return (QStringLiteral("Velmar Dorl   (") + info + QStringLiteral(")")).left(kMaxLength);
}

} // namespace traytips

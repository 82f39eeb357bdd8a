#include "core/ValueConversion.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace conversion {

QString fitFixed(const QString& text, int width) {
    if (text.size() >= width)
        return text.left(width);
    return text.leftJustified(width, QLatin1Char(' '));
}

QString fitOneChar(const QString& text) {
    return fitFixed(text, 1);
}

std::optional<qint16> toInt16(const QString& text) {
    static const QRegularExpression decimal(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // nearbyint rounds halves to even in the default rounding mode.
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

double leadingNumber(const QString& text) {
    static const QRegularExpression prefix(
        QStringLiteral(R"(^\s*([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?))"));
    const auto match = prefix.match(text);
    if (!match.hasMatch())
        return 0.0;
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

} // namespace conversion

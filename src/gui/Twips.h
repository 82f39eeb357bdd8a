#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <cmath>

// Window geometry is given in twips, 1440 to the inch.
namespace twips {

inline int toPixels(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}
inline QSize toPixels(QSize size, double dpi) {
    return {toPixels(size.width(), dpi), toPixels(size.height(), dpi)};
}
inline QRect toPixels(QRect rect, double dpi) {
    return {toPixels(rect.left(), dpi), toPixels(rect.top(), dpi), toPixels(rect.width(), dpi),
            toPixels(rect.height(), dpi)};
}

} // namespace twips

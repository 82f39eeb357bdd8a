#include "core/VolumeCurve.h"

#include <array>
#include <cmath>

namespace {
constexpr std::array<long, 11> kAnchors{-9640, -2000, -1440, -1070, -810, -610,
                                        -450,  -320,  -200,  -100,  0};
} // namespace

std::optional<long> playerLevelFor(double volume) {
    const long band = static_cast<long>(std::floor(volume / 10.0));
    if (band == 10)
        return 0L;
    if (band < 0 || band > 10)
        return std::nullopt;
    // Two bands are held at two steps each instead of the line.
    if (band == 7)
        return volume <= 75 ? -320L : -200L;
    if (band == 8)
        return volume <= 85 ? -200L : -100L;
    const double line =
        kAnchors[band] + (volume - 10.0 * band) * (kAnchors[band + 1] - kAnchors[band]) / 10.0;
    return std::lround(line);
}

#pragma once

#include <optional>

// The per-sound volume 1..100 as the player's level in hundredths of a
// decibel. Most of the range goes to the quiet end: 50..100 spans 6.1 dB,
// 0..10 spans 76.4 dB. Values below 0 or above 109 give nothing: the
// player's level is then left as it is.
std::optional<long> playerLevelFor(double volume);

#pragma once

#include <QTime>

struct StoredValues;

// When the PC must stay awake for its bells: from kLeadMinutes before the
// first bell of the table in force until its last bell, and whenever a sound
// plays or a ceremony counts down (which covers the last bell's break music).
namespace awake {

inline constexpr int kLeadMinutes = 15;

bool needed(const StoredValues& values, int table, const QTime& now, bool playing,
            bool countingDown);

} // namespace awake

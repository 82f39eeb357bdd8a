#include "core/AwakeHours.h"

#include "core/StoredValues.h"
#include "core/Timetable.h"

#include <algorithm>

namespace awake {

bool needed(const StoredValues& values, int table, const QTime& now, bool playing,
            bool countingDown) {
    if (playing || countingDown)
        return true;
    int first = 24 * 60;
    int last = -1;
    const int begin = table * timetable::kCellsPerTable;
    for (int cell = begin; cell < begin + timetable::kCellsPerTable; ++cell) {
        const QTime bell = QTime::fromString(values.timex[cell], QStringLiteral("HH:mm"));
        if (!bell.isValid())
            continue; // unfinished cells never ring
        const int minute = bell.hour() * 60 + bell.minute();
        first = std::min(first, minute);
        last = std::max(last, minute);
    }
    const int minute = now.hour() * 60 + now.minute();
    return last >= 0 && minute >= first - kLeadMinutes && minute <= last;
}

} // namespace awake

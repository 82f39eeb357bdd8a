#include "core/Timetable.h"

#include <array>

namespace timetable {

namespace {

// Weekday morning shift, rows 0..5: student entry, teacher entry, exit.
constexpr std::array<std::array<const char*, 3>, 6> kMorningDefaults{{
    {"08:15", "08:30", "09:10"},
    {"09:20", "09:25", "10:05"},
    {"10:20", "10:25", "11:05"},
    {"11:15", "11:20", "12:00"},
    {"13:20", "13:25", "14:05"},
    {"14:15", "14:20", "15:00"},
}};

constexpr std::array<int, 3> kWeekdayColumnsTwips{1545, 2265, 2985};
constexpr std::array<int, 3> kWeekendColumnsTwips{1485, 2205, 2925};

} // namespace

QString kindTag(int kind) {
    switch (kind) {
    case StudentEntry:
        return QStringLiteral("ÖğrenciZili");
    case TeacherEntry:
        return QStringLiteral("ÖğretmenZili");
    case Exit:
        return QStringLiteral("ÇıkışZili");
    default:
        return {};
    }
}

std::optional<int> kindFromTag(const QString& tag) {
    for (int kind = 0; kind < kKindCount; ++kind) {
        if (tag == kindTag(kind))
            return kind;
    }
    return std::nullopt;
}

QString defaultCellText(int cell) {
    if (cell < 0 || cell >= kCellCount)
        return {};
    const int row = rowOf(cell);
    if (tableOf(cell) == kWeekdayTable && row < 6)
        return QString::fromLatin1(kMorningDefaults[row][kindOf(cell)]);
    return kEmptyTime;
}

int defaultBreakMark(int breakIndex) {
    switch (breakIndex) {
    case 0:
    case 1:
    case 2:
    case 4:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
        return 1;
    default:
        return 0;
    }
}

QRect cellRectTwips(int cell) {
    if (cell < 0 || cell >= kCellCount)
        return {};
    const int row = rowOf(cell);
    const int kind = kindOf(cell);
    int left = 0;
    int top = 0;
    if (tableOf(cell) == kWeekdayTable) {
        left = kWeekdayColumnsTwips[kind];
        top = row < 6 ? 450 + 330 * row : 3045 + 330 * (row - 6);
    } else {
        left = kWeekendColumnsTwips[kind];
        top = 645 + 330 * row;
    }
    return QRect(left, top, kCellWidthTwips, kCellHeightTwips);
}

} // namespace timetable

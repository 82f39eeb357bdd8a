#pragma once

#include <QRect>
#include <QString>

#include <optional>

// Numbering of the 72 time cells and 24 break marks, the kind tags and the
// built-in default timetable.
namespace timetable {

enum BellKind { StudentEntry = 0, TeacherEntry = 1, Exit = 2 };

inline constexpr int kCellCount = 72;
inline constexpr int kCellsPerTable = 36;
inline constexpr int kRowsPerTable = 12;
inline constexpr int kKindCount = 3;
inline constexpr int kBreakCount = 24;
inline constexpr int kWeekdayTable = 0;
inline constexpr int kWeekendTable = 1;

inline constexpr int kLastWeekdayCell = 35;
inline constexpr int kLastWeekendCell = 71;

// The empty cell; each unfilled digit position shows "_".
inline const QString kEmptyTime = QStringLiteral("__:__");

constexpr int cellIndex(int table, int row, int kind) {
    return kCellsPerTable * table + 3 * row + kind;
}
constexpr int tableOf(int cell) {
    return cell / kCellsPerTable;
}
constexpr int rowOf(int cell) {
    return (cell % kCellsPerTable) / 3;
}
constexpr int kindOf(int cell) {
    return cell % 3;
}

// Break that follows the exit cell `cell`: b = (i + 1) / 3 - 1 = 12 * table + row.
constexpr int breakOfExitCell(int exitCell) {
    return (exitCell + 1) / 3 - 1;
}
constexpr int exitCellOfBreak(int breakIndex) {
    return 3 * breakIndex + 2;
}

// First bell of a weekday shift (morning lesson 1 and afternoon lesson 1).
constexpr bool isWeekdayFirstBell(int cell) {
    return cell == 0 || cell == 18;
}

// Fixed text kept in each cell's Tag; the scheduler reads the kind from it.
QString kindTag(int kind);
std::optional<int> kindFromTag(const QString& tag);

// Built-in text of a cell and built-in music mark of a break.
QString defaultCellText(int cell);
int defaultBreakMark(int breakIndex);

// Cell placement on its page, in twips.
inline constexpr int kCellWidthTwips = 525;
inline constexpr int kCellHeightTwips = 285;
QRect cellRectTwips(int cell);

} // namespace timetable

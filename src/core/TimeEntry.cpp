#include "core/TimeEntry.h"

#include "core/Timetable.h"

namespace timeentry {

namespace {
// "first n" and "rest from m" of the rule tables.
QString first(const QString& t, int n) {
    return t.left(n);
}
QString rest(const QString& t, int m) {
    return m < t.size() ? t.mid(m) : QString();
}
} // namespace

Edit deleteKey(const QString& t, int s, int l) {
    const bool one = l == 0 || l == 1;
    switch (s) {
    case 0:
        if (one)
            return {"_" + rest(t, 1), s};
        if (l == 2)
            return {"__" + rest(t, 2), s};
        if (l == 3)
            return {"__:" + rest(t, 3), s};
        if (l == 4)
            return {"__:_" + rest(t, 4), s};
        if (l == 5)
            return {"__:__", s};
        break;
    case 1:
        if (one)
            return {first(t, 1) + "_" + rest(t, 2), s};
        if (l == 2)
            return {first(t, 1) + "_:" + rest(t, 3), s};
        if (l == 3)
            return {first(t, 1) + "_:_" + rest(t, 4), s};
        if (l == 4)
            return {first(t, 1) + "_:__", s};
        break;
    case 2:
        if (one)
            return {first(t, 2) + ":" + rest(t, 3), s};
        if (l == 2)
            return {first(t, 2) + ":_" + rest(t, 4), s};
        if (l == 3)
            return {first(t, 2) + ":__", s};
        break;
    case 3:
        if (one)
            return {first(t, 3) + "_" + rest(t, 4), s};
        if (l == 2)
            return {first(t, 3) + "__", s};
        break;
    case 4:
        return {first(t, 4) + "_", s};
    default:
        break;
    }
    return {t, s};
}

Edit backspaceKey(const QString& t, int s, int l) {
    switch (s) {
    case 0:
        if (l == 1)
            return {"_" + rest(t, 1), 0};
        if (l == 2)
            return {"__" + rest(t, 2), 0};
        if (l == 3)
            return {"__:" + rest(t, 3), 0};
        if (l == 4)
            return {"__:_" + rest(t, 4), 0};
        if (l == 5)
            return {"__:__", 0};
        return {t, 0};
    case 1:
        if (l == 0)
            return {"_" + rest(t, 1), 0};
        if (l == 1 || l == 2)
            return {first(t, 1) + "_" + rest(t, 2), 1};
        if (l == 3)
            return {first(t, 1) + "_:_" + rest(t, 4), 1};
        if (l == 4)
            return {first(t, 1) + "_:__", 1};
        break;
    case 2:
        if (l == 0)
            return {first(t, 1) + "_" + rest(t, 2), 1};
        if (l == 1)
            return {first(t, 2) + ":" + rest(t, 3), 3};
        if (l == 2)
            return {first(t, 2) + ":_" + rest(t, 4), 3};
        if (l == 3)
            return {first(t, 2) + ":__", 3};
        break;
    case 3:
        if (l == 0)
            return {first(t, 1) + "_:" + rest(t, 3), 1};
        if (l == 1)
            return {first(t, 2) + ":_" + rest(t, 4), 3};
        if (l == 2)
            return {first(t, 2) + ":__", 3};
        break;
    case 4:
        if (l == 0)
            return {first(t, 2) + ":_" + rest(t, 4), 3};
        if (l == 1)
            return {first(t, 4) + "_", 4};
        break;
    case 5:
        return {first(t, 4) + "_", 4};
    default:
        break;
    }
    return {t, s};
}

Edit digitKey(const QString& t, int s, int l, QChar k) {
    const QString K(k);
    const bool one = l == 0 || l == 1;
    switch (s) {
    case 0:
        if (one)
            return {K + rest(t, 1), 1};
        if (l == 2)
            return {K + "_" + rest(t, 2), 1};
        if (l == 3)
            return {K + "_:" + rest(t, 3), 1};
        if (l == 4)
            return {K + "_:_" + rest(t, 4), 1};
        if (l == 5)
            return {K + "_:__", 1};
        return {t, 1};
    case 1:
        if (one)
            return {first(t, 1) + K + rest(t, 2), 3};
        if (l == 2)
            return {first(t, 1) + K + ":" + rest(t, 3), 3};
        if (l == 3)
            return {first(t, 1) + K + ":_" + rest(t, 4), 3};
        if (l == 4)
            return {first(t, 1) + K + ":__", 3};
        return {t, 3};
    case 2:
        if (l == 0 || l == 1 || l == 2)
            return {first(t, 3) + K + rest(t, 4), 4};
        if (l == 3)
            return {first(t, 3) + K + "_", 4};
        return {t, 4};
    case 3:
        if (one)
            return {first(t, 3) + K + rest(t, 4), 4};
        if (l == 2)
            return {first(t, 3) + K + "_", 4};
        return {t, 4};
    case 4:
        if (one)
            return {first(t, 4) + K, 5};
        return {t, 5};
    default:
        return {t, s};
    }
}

bool movesFocusOn(int cell, int selStart) {
    return selStart == 4 && cell != timetable::kLastWeekdayCell &&
           cell != timetable::kLastWeekendCell;
}

} // namespace timeentry

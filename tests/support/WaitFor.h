#pragma once

#include <QtTest>

// QTRY_ counts its timeout in steps of 50 ms, not by the clock: a check that
// itself asks the sound server, or plays a moment of silence to read a level,
// stretches it many times over, and a failing check looks like a hung test.
// These wait by the clock; a check still not met is reported as QCOMPARE does.
#define WAIT_COMPARE(actual, expected, ms)                                                         \
    do {                                                                                           \
        const auto wanted_ = (expected);                                                           \
        if (!QTest::qWaitFor([&] { return (actual) == wanted_; }, ms))                             \
            QCOMPARE(actual, wanted_);                                                             \
    } while (false)

#define WAIT_VERIFY(condition, ms)                                                                 \
    do {                                                                                           \
        if (!QTest::qWaitFor([&] { return bool(condition); }, ms))                                 \
            QVERIFY(condition);                                                                    \
    } while (false)

#include "core/Timetable.h"

#include <QtTest>

using namespace timetable;

class TimetableTest : public QObject {
    Q_OBJECT
private slots:
    void indicesRoundTrip() {
        for (int cell = 0; cell < kCellCount; ++cell)
            QCOMPARE(cellIndex(tableOf(cell), rowOf(cell), kindOf(cell)), cell);
        QCOMPARE(cellIndex(kWeekendTable, 11, Exit), 71);
        QCOMPARE(cellIndex(kWeekdayTable, 6, StudentEntry), 18);
    }

    void exitCellsAndBreaks() {
        QCOMPARE(breakOfExitCell(2), 0);
        QCOMPARE(breakOfExitCell(35), 11);
        QCOMPARE(breakOfExitCell(38), 12);
        QCOMPARE(breakOfExitCell(71), 23);
        for (int b = 0; b < kBreakCount; ++b) {
            const int cell = exitCellOfBreak(b);
            QCOMPARE(kindOf(cell), int(Exit));
            QCOMPARE(breakOfExitCell(cell), b);
            QCOMPARE(b, 12 * tableOf(cell) + rowOf(cell));
        }
        QVERIFY(isWeekdayFirstBell(0) && isWeekdayFirstBell(18));
        QVERIFY(!isWeekdayFirstBell(36) && !isWeekdayFirstBell(3));
    }

    void kindTags() {
        QCOMPARE(kindTag(StudentEntry), QStringLiteral("ÖğrenciZili"));
        QCOMPARE(kindTag(TeacherEntry), QStringLiteral("ÖğretmenZili"));
        QCOMPARE(kindTag(Exit), QStringLiteral("ÇıkışZili"));
        for (int kind = 0; kind < 3; ++kind)
            QCOMPARE(kindFromTag(kindTag(kind)), std::optional<int>(kind));
        QVERIFY(!kindFromTag(QStringLiteral("cikisZili")).has_value());
        QVERIFY(!kindFromTag(QString()).has_value());
    }

    void defaultTimetableRingsEighteenWeekdayBells() {
        QStringList weekday;
        for (int cell = 0; cell < kCellCount; ++cell) {
            const QString text = defaultCellText(cell);
            QCOMPARE(text.size(), 5);
            if (text != kEmptyTime) {
                QVERIFY2(cell < 18, qPrintable(QString::number(cell)));
                weekday << text;
            }
        }
        QCOMPARE(weekday.size(), 18);
        QCOMPARE(weekday.first(), QStringLiteral("08:15"));
        QCOMPARE(weekday.last(), QStringLiteral("15:00"));
        QCOMPARE(defaultCellText(1), QStringLiteral("08:30"));
        QCOMPARE(defaultCellText(2), QStringLiteral("09:10"));
        QCOMPARE(defaultCellText(11), QStringLiteral("12:00"));
    }

    void defaultBreakMarks() {
        QList<int> marked;
        for (int b = 0; b < kBreakCount; ++b) {
            if (defaultBreakMark(b) == 1)
                marked << b;
        }
        QCOMPARE(marked, (QList<int>{0, 1, 2, 4, 6, 7, 8, 9, 10}));
    }

    void cellGeometry() {
        QCOMPARE(cellRectTwips(0), QRect(1545, 450, 525, 285));
        QCOMPARE(cellRectTwips(17), QRect(2985, 450 + 330 * 5, 525, 285));
        QCOMPARE(cellRectTwips(18), QRect(1545, 3045, 525, 285));
        QCOMPARE(cellRectTwips(35), QRect(2985, 3045 + 330 * 5, 525, 285));
        QCOMPARE(cellRectTwips(36), QRect(1485, 645, 525, 285));
        QCOMPARE(cellRectTwips(71), QRect(2925, 645 + 330 * 11, 525, 285));
        QVERIFY(cellRectTwips(72).isNull());
    }
};

QTEST_APPLESS_MAIN(TimetableTest)
#include "tst_timetable.moc"

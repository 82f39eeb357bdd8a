// Which table each date rings when the school gives a range of dates a table
// or takes it away again, and the day choices that an import leaves to the
// administrator's system-wide file.
#include "core/Backup.h"
#include "core/SettingsTable.h"
#include "support/DayRig.h"

#include <QSettings>
#include <QtTest>

namespace {
const QDate kExamFrom(2026, 10, 26);    // a Monday
const QDate kRepublicDay(2026, 10, 29); // Cumhuriyet Bayramı, the Thursday
const QDate kExamTo(2026, 10, 30);

// The table of each day of the exam week: 0 weekday, 1 weekend, -1 no bells.
QList<int> examWeek(const DayPlan& plan) {
    QList<int> tables;
    for (QDate d = kExamFrom; d <= kExamTo; d = d.addDays(1))
        tables << plan.tableFor(d);
    return tables;
}

// As the next start reads it from the file.
QList<int> examWeekReadBack(SettingsStore& store) {
    Holidays holidays(store);
    return examWeek(DayPlan(store, holidays));
}

// XDG_CONFIG_DIRS for the stores made while it lives.
struct SystemWide {
    QString file;
    explicit SystemWide(const QString& folder)
        : file(folder + QStringLiteral("/VelmarDorl/VelmarDorl.ini")) {
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(folder));
    }
    ~SystemWide() { qunsetenv("XDG_CONFIG_DIRS"); }
};
} // namespace

class DayPlanTest : public QObject {
    Q_OBJECT
private slots:
    // The exam week on the weekend table: 29 Ekim stays silent, and taking
    // the table away again leaves it a holiday.
    void anExamWeekOverANationalDay() {
        DayRig r(QDateTime(kExamFrom.addDays(2), QTime(18, 0)));
        r.values.timex[36] = QStringLiteral("09:30"); // the weekend table's one bell
        r.plan.setDates(kExamFrom, kExamTo, DayPlan::WeekendTable);
        QCOMPARE(examWeek(r.plan), (QList<int>{1, 1, 1, -1, 1}));
        QCOMPARE(examWeekReadBack(*r.store), (QList<int>{1, 1, 1, -1, 1}));
        r.runUntil(QDateTime(kRepublicDay, QTime(12, 0)));
        QVERIFY(r.player.calls.isEmpty());
        QCOMPARE(r.day->dayNotes(), QStringLiteral("Bugün tatil"));
        r.runUntil(QDateTime(kExamTo, QTime(10, 0)));
        QCOMPARE(r.player.opened(), QStringList{r.folders.app() + "/Melodiler/Melodi 5.wav"});

        // Listed once, as the holiday it still is.
        QVERIFY(r.plan.datesWith(DayPlan::NoBells, 2026, 2026).count(kRepublicDay));
        QVERIFY(!r.plan.datesWith(DayPlan::WeekendTable, 2026, 2026).count(kRepublicDay));

        r.plan.clearDates(kExamFrom, kExamTo); // "Tatili Kaldır" on the week
        QCOMPARE(examWeek(r.plan), (QList<int>{0, 0, 0, -1, 0}));
        QCOMPARE(examWeekReadBack(*r.store), (QList<int>{0, 0, 0, -1, 0}));
    }

    // The national day chosen on its own is the school's to change; a
    // range over it then treats it as the school left it.
    void theNationalDayChosenAlone() {
        DayRig r(QDateTime(QDate(2026, 10, 1), QTime(12, 0)));
        r.plan.setDates(kRepublicDay, kRepublicDay, DayPlan::WeekdayTable); // a ceremony
        QCOMPARE(r.plan.tableFor(kRepublicDay), 0);
        QVERIFY(!r.plan.datesWith(DayPlan::NoBells, 2026, 2026).count(kRepublicDay));
        r.plan.setDates(kExamFrom, kExamTo, DayPlan::WeekendTable);
        QCOMPARE(examWeek(r.plan), (QList<int>{1, 1, 1, 1, 1}));
        // Each day back to what it was: 29 Ekim to its holiday under the table.
        r.plan.clearDates(kExamFrom, kExamTo);
        QCOMPARE(examWeek(r.plan), (QList<int>{0, 0, 0, -1, 0}));

        r.plan.clearDates(kRepublicDay, kRepublicDay); // its holiday taken away, alone
        QCOMPARE(examWeekReadBack(*r.store), (QList<int>{0, 0, 0, 0, 0}));
        r.plan.setDates(kExamFrom, kExamTo, DayPlan::WeekendTable);
        QCOMPARE(examWeek(r.plan), (QList<int>{1, 1, 1, 1, 1}));
        r.plan.clearDates(kExamFrom, kExamTo);
        QCOMPARE(examWeekReadBack(*r.store), (QList<int>{0, 0, 0, 0, 0}));
    }

    // The school's own holidays inside a range are its to change; the
    // national ones inside a holiday range outlive its removal.
    void theSchoolsOwnHolidaysInARange() {
        DayRig r(QDateTime(QDate(2026, 10, 1), QTime(12, 0)));
        r.plan.setDates(kExamFrom.addDays(1), kExamFrom.addDays(1), DayPlan::NoBells);
        r.plan.setDates(kExamFrom, kExamTo, DayPlan::WeekendTable);
        QCOMPARE(examWeek(r.plan), (QList<int>{1, 1, 1, -1, 1}));
        r.plan.clearDates(kExamFrom, kExamTo);
        QCOMPARE(examWeek(r.plan), (QList<int>{0, 0, 0, -1, 0}));

        const QDate breakFrom(2026, 12, 28), newYear(2027, 1, 1), breakTo(2027, 1, 8);
        r.plan.setDates(breakFrom, breakTo, DayPlan::NoBells); // "Tatil Yap" on the winter break
        QCOMPARE(r.plan.tableFor(breakFrom), -1);
        QCOMPARE(r.plan.tableFor(breakTo), -1);
        r.plan.clearDates(breakFrom, breakTo);
        QCOMPARE(r.plan.tableFor(breakFrom), 0);
        QCOMPARE(r.plan.tableFor(newYear), -1);
        QCOMPARE(r.plan.tableFor(newYear.addDays(1)), 1); // a Saturday
        QCOMPARE(r.plan.tableFor(breakTo), 0);
        Holidays reread(*r.store);
        QVERIFY(reread.contains(newYear));
    }

    // A backup from before the day choices, taken in under an administrator's
    // "Zil yok" weekend: the weekend stays silent.
    void anOlderBackupLeavesTheSystemWideChoices() {
        TestFolders folders;
        const SystemWide system(folders.root() + QStringLiteral("/etc-xdg"));
        {
            QSettings school(system.file, QSettings::IniFormat);
            for (int day : {6, 7})
                school.setValue(QStringLiteral("Tatil/Gun(%1)").arg(day), QStringLiteral("2"));
        }
        SettingsStore store;
        const QString file = folders.root() + QStringLiteral("/eski.ini");
        QCOMPARE(backup::exportTo(store, file), QString());
        {
            QSettings old(file, QSettings::IniFormat);
            for (int day = 1; day <= 7; ++day)
                old.remove(QStringLiteral("Tatil/Gun(%1)").arg(day));
            old.remove(QStringLiteral("Tatil/HaftaIciGunleri"));
            old.remove(QStringLiteral("Tatil/HaftaSonuGunleri"));
        }
        // This user had once given Saturdays the weekday table and an exam week.
        QVERIFY(store.save(settings::gunTablosu(6), QStringLiteral("0")));
        QVERIFY(store.save(settings::haftaSonuGunleri(), QStringLiteral("2026-10-26..2026-10-30")));
        QString copy;
        QCOMPARE(backup::importFrom(store, file, &copy), QString());
        QVERIFY(!copy.isEmpty());

        const QByteArray written = folders.settingsBytes();
        QVERIFY2(!written.contains("Gun%28") && !written.contains("HaftaSonuGunleri"),
                 written.constData());
        SettingsStore next; // the next start
        Holidays holidays(next);
        DayPlan plan(next, holidays);
        QCOMPARE(plan.weekdayChoice(6), DayPlan::NoBells);
        QCOMPARE(plan.weekdayChoice(7), DayPlan::NoBells);
        QCOMPARE(plan.weekdayChoice(5), DayPlan::WeekdayTable);
        QCOMPARE(plan.tableFor(kExamFrom), 0);
    }
};

QTEST_GUILESS_MAIN(DayPlanTest)
#include "tst_dayplan.moc"

// The school day on Turkey's calendar: an eve's afternoon without bells or
// music, 10 Kasım's remembrance at 09:05 and the week's flag ceremonies, on
// a fake clock whose passes come at each minute's start.
#include "core/SettingsTable.h"
#include "core/VolumeCurve.h"
#include "platform/EventLog.h"
#include "support/DayRig.h"

#include <QtTest>

namespace {
QDateTime on(const QDate& day, int h, int m, int s = 0) {
    return QDateTime(day, QTime(h, m, s));
}

// Logged lines, kept while the test runs.
struct Log {
    QStringList lines;
    Log() {
        eventlog::setSink([this](eventlog::Level, const QString& line) { lines << line; });
    }
    ~Log() { eventlog::setSink({}); }
    bool has(const QString& part) const {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString& l) { return l.contains(part); });
    }
};

// Passes of each minute up to `until`; sounds play on until the test ends
// them, or with `endSounds` each ends within its minute.
void passUntil(DayRig& r, const QDateTime& until, bool endSounds = false) {
    for (QDateTime t = r.clock.now().addSecs(60 - r.clock.now().time().second()); t <= until;
         t = t.addSecs(60)) {
        for (int i = 0; endSounds && i < 3 && r.playback.playing(); ++i)
            r.player.finish();
        r.clock.set(t);
        emit r.day->activeTimer().timeout();
    }
}

QStringList openedSince(const FakePlayer& player, qsizetype from) {
    return player.opened().mid(from);
}
} // namespace

class CeremoniesTest : public QObject {
    Q_OBJECT
private slots:
    void anEvesAfternoonHasNoBellsAndItsMusicEndsAt13() {
        Log log;
        const QDate eve(2027, 3, 8); // Monday, Ramazan Bayramı arifesi
        DayRig r(on(eve, 11, 58), true);
        QDir().mkpath(r.app("/Müzik"));
        QFile(r.app("/Müzik/şarkı.mid")).open(QIODevice::WriteOnly);
        r.values.MusicT[3] = 1; // music in the lunch break
        r.values.Aktif = 1;
        passUntil(r, on(eve, 12, 0)); // the exit bell
        r.player.finish();
        QVERIFY(r.playback.musicOn());
        QVERIFY(r.player.current.endsWith(QStringLiteral("şarkı.mid")));
        passUntil(r, on(eve, 12, 58));
        QVERIFY(!r.player.current.isEmpty()); // the song still plays at 12:58
        const qsizetype before = r.player.opened().size();
        passUntil(r, on(eve, 13, 0));
        QVERIFY(r.player.current.isEmpty());
        QVERIFY(!r.playback.playing() && !r.playback.musicOn());
        QVERIFY(r.mixer.wave == r.mixer.waveMin);
        QVERIFY(log.has(QStringLiteral("Ramazan Bayramı arifesi: 13.00'ten sonra zil yok")));
        QCOMPARE(r.day->dayNotes(), QStringLiteral("Bugün 13.00'ten sonra zil yok"));
        QVERIFY(log.has(QStringLiteral("teneffüs müziği 13.00'te bitti")));
        passUntil(r, on(eve, 16, 0));
        QCOMPARE(openedSince(r.player, before), QStringList()); // 13:20 ... 15:00 silent
        QVERIFY(!r.inhibitor.held);
        // The bayram's three days are skipped: Friday is the next school day.
        QCOMPARE(r.day->nextBellText(), QStringLiteral("Sonraki zil Cuma 08:15 (Öğrenci girişi)"));
        QCOMPARE(r.wake.calls.last(), QStringLiteral("set 2027-03-12 08:10"));
        passUntil(r, on(eve.addDays(1), 9, 30));
        QVERIFY(log.has(QStringLiteral("Ramazan Bayramı: zil yok (2027-03-09")));
        QCOMPARE(openedSince(r.player, before), QStringList());

        // Given the weekday table, the eve's afternoon rings.
        DayRig given(on(eve, 12, 59));
        given.plan.setDates(eve, eve, DayPlan::WeekdayTable);
        passUntil(given, on(eve, 13, 20));
        QCOMPARE(given.player.opened().size(), qsizetype(1));
    }

    void tenthOfNovemberStopsTheSchoolAt0905() {
        Log log;
        const QDate tuesday(2026, 11, 10);
        DayRig r(on(tuesday, 9, 3));
        r.values.timex[3] = QStringLiteral("09:05"); // a bell inside the remembrance
        r.values.timex[4] = QStringLiteral("09:07");
        passUntil(r, on(tuesday, 9, 4));
        const qsizetype before = r.player.opened().size();
        passUntil(r, on(tuesday, 9, 5));
        QCOMPARE(openedSince(r.player, before), QStringList{r.app("/Marşlar/2.mp3")});
        QCOMPARE(r.player.level, *playerLevelFor(r.values.Sesx[2]));
        QVERIFY(r.mixer.wave != r.mixer.waveMin);
        r.player.finish(); // the siren ends: two minutes of silence, muted
        QVERIFY(r.mixer.wave == r.mixer.waveMin);
        passUntil(r, on(tuesday, 9, 7));
        QCOMPARE(openedSince(r.player, before),
                 (QStringList{r.app("/Marşlar/2.mp3"), r.app("/Marşlar/0.mp3")}));
        QCOMPARE(r.player.level, *playerLevelFor(r.values.Sesx[0]));
        QVERIFY(log.has(QStringLiteral("Öğrenci giriş zili 09:05 çalmadı: 10 Kasım anması")));
        QVERIFY(log.has(QStringLiteral("Öğretmen giriş zili 09:07 çalmadı: 10 Kasım anması")));
        r.player.finish();
        QVERIFY(r.mixer.wave == r.mixer.waveMin);
        passUntil(r, on(tuesday, 9, 10)); // the exit bell as usual
        QCOMPARE(openedSince(r.player, before).size(), qsizetype(3));

        // On a Saturday, or switched off, nothing plays.
        DayRig saturday(on(QDate(2029, 11, 10), 9, 4));
        passUntil(saturday, on(QDate(2029, 11, 10), 9, 8));
        QVERIFY(saturday.player.opened().isEmpty());
        DayRig off(on(tuesday, 9, 4));
        off.values.OnKasim = QStringLiteral("0");
        off.values.timex[3] = QStringLiteral("09:05");
        passUntil(off, on(tuesday, 9, 8));
        QCOMPARE(off.player.opened(), QStringList{off.app("/Melodiler/Melodi 5.wav")});
    }

    void theWeeksFlagCeremoniesFollowTheDayPlan() {
        Log log;
        const QDate monday(2026, 12, 7);
        DayRig r(on(monday, 8, 0), true);
        r.values.BayrakToreni = QStringLiteral("1");
        r.values.TorenSaati = {QStringLiteral("08:20"), QStringLiteral("15:00")};
        r.plan.setDates(monday, monday, DayPlan::NoBells);
        passUntil(r, on(monday, 16, 0));
        QVERIFY(r.player.opened().isEmpty());
        // Tuesday opens the week.
        passUntil(r, on(monday.addDays(1), 8, 20), true);
        QCOMPARE(r.player.opened().last(), r.app("/Marşlar/0.mp3"));
        QVERIFY(log.has(QStringLiteral("Bayrak töreni (haftanın ilk okul günü) 08:20")));
        r.player.finish();
        // No other day opens or closes it until Friday's 15:00, where it
        // follows the exit bell of that minute instead of cutting it.
        passUntil(r, on(monday.addDays(4), 14, 59), true);
        QCOMPARE(r.player.opened().count(r.app("/Marşlar/0.mp3")), qsizetype(1));
        passUntil(r, on(monday.addDays(4), 15, 0), true);
        QCOMPARE(r.player.current, r.app("/Melodiler/Melodi 1.wav"));
        r.player.finish();
        QCOMPARE(r.player.current, r.app("/Marşlar/0.mp3"));
        r.player.finish();
        QVERIFY(!r.playback.playing() && r.mixer.wave == r.mixer.waveMin);

        // A pass that comes after its minute (the PC woke late) misses it, said so.
        DayRig late(on(QDate(2026, 12, 14), 8, 19));
        late.values.BayrakToreni = QStringLiteral("1");
        late.values.TorenSaati = {QStringLiteral("08:20"), QStringLiteral("15:05")};
        emit late.day->activeTimer().timeout(); // the first pass, at 08:19
        late.clock.set(on(QDate(2026, 12, 14), 8, 21, 30));
        emit late.day->activeTimer().timeout();
        QVERIFY(!late.player.opened().contains(late.app("/Marşlar/0.mp3")));
        QVERIFY(log.has(QStringLiteral("Bayrak töreni (haftanın ilk okul günü) 08:20 çalmadı")));
    }
};

QTEST_GUILESS_MAIN(CeremoniesTest)
#include "tst_ceremonies.moc"

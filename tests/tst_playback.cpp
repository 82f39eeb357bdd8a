#include "core/StoredValues.h"
#include "sound/MasterLevel.h"
#include "sound/Playback.h"
#include "sound/SongFolder.h"
#include "support/PlaybackRig.h"

#include <QSignalSpy>
#include <QtTest>

// The playback state machine against a recording player and mixer.
struct Rig : PlaybackRig {
    QStringList tray; // "play" / "stop" with the info shown at that moment

    Rig() {
        values.MasterVolume = QStringLiteral("0");
        values.Sesx = {70, 70, 70, 10, 50, 50, 50, 80, 80, 80};
        master.setUp();
        mixer.sets.clear();
        QObject::connect(&playback, &Playback::playingChanged, [this](bool on) {
            tray << (on ? QStringLiteral("play:") + playback.info() : QStringLiteral("stop"));
        });
    }
    void addSongs(const QStringList& names) const {
        QDir().mkpath(app(QStringLiteral("/Müzik")));
        for (const QString& name : names) {
            QFile file(app(QStringLiteral("/Müzik/") + name));
            file.open(QIODevice::WriteOnly);
        }
    }
    void ringExitBell() {
        playback.play(app("/Melodiler/Melodi 1.wav"), "/Anonslar/2.mp3", values.Sesx[9],
                      "Çıkış zili", false);
    }
    bool idle() const {
        return playback.info().isEmpty() && !playback.stopEnabled() && mixer.wave == 0 &&
               player.current.isEmpty() && tray.last() == QStringLiteral("stop");
    }
};

class PlaybackTest : public QObject {
    Q_OBJECT
private slots:
    void bellThenAnnouncementThenIdle() {
        Rig r;
        r.values.Sesx[6] = 30;
        r.ringExitBell();
        QCOMPARE(r.player.current, r.app("/Melodiler/Melodi 1.wav"));
        QCOMPARE(r.player.level, -200L); // 80
        QCOMPARE(r.mixer.wave, 65530L);  // master level of position 0
        QCOMPARE(r.playback.info(), QStringLiteral("Çıkış zili"));
        QVERIFY(r.playback.stopEnabled());
        QCOMPARE(r.tray, QStringList{"play:Çıkış zili"});
        QCOMPARE(r.playback.queued(), QStringLiteral("/Anonslar/2.mp3"));

        r.player.finish();
        QCOMPARE(r.player.current, r.app("/Anonslar/2.mp3"));
        QCOMPARE(r.player.level, -1070L); // the announcement's own volume, 30
        QCOMPARE(r.playback.info(), QStringLiteral("Çıkış zili"));
        QVERIFY(r.playback.queued().isEmpty());

        r.player.finish();
        QVERIFY(r.idle());
        QCOMPARE(r.player.calls.last(), QStringLiteral("unload"));
    }

    // The sound server dropped the level set just before the stream (an
    // output that had just appeared): set again once the sound plays, and
    // never over the mute between sounds.
    void theLevelIsSetAgainOnceTheSoundPlays() {
        Rig r;
        r.ringExitBell();
        r.mixer.wave = 65535; // what the server kept instead
        r.player.start();
        QCOMPARE(r.mixer.wave, 65530L);
        r.playback.stop();
        QCOMPARE(r.mixer.wave, 0L);
        r.player.start(); // late, from the stream just stopped
        QCOMPARE(r.mixer.wave, 0L);
    }

    // A bell made ready while another sound plays stays ready through the
    // idle spell after it, until it rings, a stop, or its minute is past.
    void aPreparedBellOutlastsTheSoundBeforeIt() {
        Rig r;
        const QString bell = r.app("/Melodiler/Melodi 5.wav");
        r.ringExitBell();
        r.playback.prepare(bell, 80);
        r.player.finish(); // the announcement follows
        r.player.finish();
        QVERIFY(r.idle());
        QCOMPARE(r.player.prepared, QStringList(2, bell + "@-200"));
        r.playback.play(bell, QString(), 80, "Öğrenci giriş zili", false);
        r.player.finish();
        QCOMPARE(r.player.prepared.size(), 2); // rung: not made ready again

        r.playback.prepare(bell, 80);
        r.ringExitBell();
        r.playback.stop();
        r.ringExitBell();
        r.player.finish();
        r.player.finish();
        QCOMPARE(r.player.prepared.size(), 3);

        r.playback.prepare(bell, 80);
        r.ringExitBell();
        r.clock.advanceMs(70000); // its minute went by unrung
        r.player.finish();
        r.player.finish();
        QCOMPARE(r.player.prepared.size(), 4);
    }

    void queuedFilesPlayAtTheirOwnVolume() {
        QCOMPARE(Playback::volumeIndexForQueued("/Anonslar/0.mp3"), std::optional<int>(4));
        QCOMPARE(Playback::volumeIndexForQueued("/Anonslar/1.mp3"), std::optional<int>(5));
        QCOMPARE(Playback::volumeIndexForQueued("/Anonslar/2.mp3"), std::optional<int>(6));
        QCOMPARE(Playback::volumeIndexForQueued("/Marşlar/0.mp3"), std::optional<int>(0));
        QVERIFY(!Playback::volumeIndexForQueued("/Marşlar/1.mp3"));

        Rig r;
        r.values.Sesx[0] = 100;
        r.playback.play(r.app("/Marşlar/1.mp3"), "/Marşlar/0.mp3", r.values.Sesx[1],
                        "Saygı Duruşu + İstiklal Marşı", false);
        r.values.Sesx[0] = 95; // changed while the first file plays: still applies
        r.player.finish();
        QCOMPARE(r.player.current, r.app("/Marşlar/0.mp3"));
        QCOMPARE(r.player.level, -50L);
    }

    void newSoundDropsTheQueueAndStopNeverContinues() {
        Rig r;
        r.ringExitBell();
        r.playback.play(r.app("/Marşlar/2.mp3"), QString(), 70, "Siren", false);
        QVERIFY(r.playback.queued().isEmpty());
        r.player.finish();
        QVERIFY(r.idle());
        QCOMPARE(r.player.opened().size(), 2);

        r.ringExitBell();
        r.playback.setMusicOn(true);
        r.playback.stop();
        QVERIFY(r.idle());
        QVERIFY(r.playback.queued().isEmpty());
        QCOMPARE(r.player.calls.mid(r.player.calls.size() - 2), (QStringList{"stop", "unload"}));
    }

    void breakMusicChainsUntilTheNextBell() {
        Rig r;
        r.addSongs({"a.mp3"});
        r.ringExitBell();
        r.playback.setMusicOn(true); // as the scheduler does after an exit bell
        r.player.finish();           // melody
        r.player.finish();           // announcement
        QCOMPARE(r.player.current, r.app("/Müzik/a.mp3"));
        QCOMPARE(r.playback.info(), QStringLiteral("Müzik: a.mp3"));
        QCOMPARE(r.player.level, -2000L); // music volume 10
        QVERIFY(r.playback.musicOn());
        r.player.finish();
        QCOMPARE(r.player.opened().size(), 4); // one song again and again
        QCOMPARE(r.player.current, r.app("/Müzik/a.mp3"));

        r.playback.play(r.app("/Melodiler/Melodi 5.wav"), QString(), 80, "Öğrenci giriş zili",
                        false);
        QVERIFY(!r.playback.musicOn());
        r.player.finish();
        QVERIFY(r.idle());
    }

    void unplayableFilesEndAtOnce() {
        Rig r;
        r.ringExitBell();
        r.player.finish(false); // broken melody: its announcement still follows
        QCOMPARE(r.player.current, r.app("/Anonslar/2.mp3"));
        r.player.finish(false);
        QVERIFY(r.idle());

        // Broken songs: another pick each time, three in a row at most.
        r.addSongs({"bad.mp3"});
        QVERIFY(r.playback.startRandomSong());
        r.player.finish(false);
        r.player.finish(false);
        QCOMPARE(r.player.opened().size(), 5);
        r.player.finish(false);
        QVERIFY(r.idle());

        // A song that really played starts the count again.
        QVERIFY(r.playback.startRandomSong());
        r.player.finish(false);
        r.player.finish(false);
        r.clock.advanceMs(Playback::kShortestSongMs);
        r.player.finish(true);
        r.player.finish(false);
        r.player.finish(false);
        QVERIFY(!r.idle());
        r.player.finish(false);
        QVERIFY(r.idle());

        // Empty songs "play" to their end at once: three of them, then rest.
        // The announcement behind the exit bell is no song and changes no count.
        r.ringExitBell();
        r.playback.setMusicOn(true);
        r.player.finish(); // melody
        r.player.finish(); // announcement
        const qsizetype before = r.player.opened().size();
        for (int i = 0; i < Playback::kMaxSongFailures; ++i)
            r.player.finish(true);
        QVERIFY(r.idle());
        QCOMPARE(r.player.opened().size(), before + Playback::kMaxSongFailures - 1);
    }

    void musicDueWithNothingToPlayGoesIdle() {
        Rig r;
        QVERIFY(!r.playback.startRandomSong()); // no folder: "Hemen Çal" does nothing
        QVERIFY(r.player.calls.isEmpty());
        r.ringExitBell();
        r.playback.setMusicOn(true);
        r.player.finish();
        r.player.finish();
        QVERIFY(r.idle());
    }

    void songListOrderAndPick() {
        TestFolders folders;
        const QString dir = folders.app() + "/Müzik";
        QDir().mkpath(dir + "/folder.mp3");
        for (const char* name : {"b.mp3", "a.wav", "c.mid", "notes.txt", "d.MP3"}) {
            QFile file(dir + "/" + name);
            file.open(QIODevice::WriteOnly);
        }
        const QStringList songs = listSongs(dir);
        // Patterns match regardless of case; folders and other files are left out.
        QCOMPARE(songs.size(), 4);
        QCOMPARE(songs.at(0), QStringLiteral("c.mid"));
        QCOMPARE(songs.at(1), QStringLiteral("a.wav"));
        QCOMPARE(QSet<QString>(songs.begin() + 2, songs.end()), (QSet<QString>{"b.mp3", "d.MP3"}));
        QCOMPARE(listMelodies(dir).first(), QStringLiteral("a.wav"));
        QCOMPARE(pickIndex(5, 0.0f), 1);
        QCOMPARE(pickIndex(5, 0.19999f), 1);
        QCOMPARE(pickIndex(5, 0.2f), 2);
        QCOMPARE(pickIndex(5, 0.99999f), 5);

        // Every song gets picked.
        Rig r;
        r.addSongs({"1.mp3", "2.mp3", "3.mp3"});
        QSet<QString> picked;
        for (int i = 0; i < 200 && picked.size() < 3; ++i) {
            r.clock.advanceMs(1);
            r.playback.startRandomSong();
            picked.insert(r.player.current);
        }
        QCOMPARE(picked.size(), 3);
    }
};

QTEST_GUILESS_MAIN(PlaybackTest)
#include "tst_playback.moc"

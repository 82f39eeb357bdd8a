#include "core/SettingsTable.h"
#include "core/VolumeCurve.h"
#include "gui/VolumeBoxes.h"
#include "sound/MasterLevel.h"
#include "support/RecordingPlatform.h"
#include "support/StartedForm.h"

#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <QtTest>

class VolumeTest : public QObject {
    Q_OBJECT
private slots:
    void curve_data() {
        QTest::addColumn<double>("volume");
        QTest::addColumn<long>("level");
        QTest::newRow("0") << 0.0 << -9640L;
        QTest::newRow("1") << 1.0 << -8876L;
        QTest::newRow("10") << 10.0 << -2000L;
        QTest::newRow("50") << 50.0 << -610L;
        QTest::newRow("65") << 65.0 << -385L;
        QTest::newRow("69") << 69.0 << -333L;
        QTest::newRow("70") << 70.0 << -320L;
        QTest::newRow("75") << 75.0 << -320L;
        QTest::newRow("76") << 76.0 << -200L;
        QTest::newRow("79") << 79.0 << -200L;
        QTest::newRow("85") << 85.0 << -200L;
        QTest::newRow("86") << 86.0 << -100L;
        QTest::newRow("89") << 89.0 << -100L;
        QTest::newRow("95") << 95.0 << -50L;
        QTest::newRow("100") << 100.0 << 0L;
        QTest::newRow("109") << 109.0 << 0L;
    }
    void curve() {
        QFETCH(double, volume);
        QFETCH(long, level);
        QCOMPARE(playerLevelFor(volume), std::optional<long>(level));
    }

    void outOfRangeLeavesTheLevel() {
        QVERIFY(!playerLevelFor(-1));
        QVERIFY(!playerLevelFor(110));
        QVERIFY(!playerLevelFor(32767));
    }

    void leavingCorrects() {
        QCOMPARE(VolumeBoxes::correctedOnLeave(""), QStringLiteral("70"));
        QCOMPARE(VolumeBoxes::correctedOnLeave("0"), QStringLiteral("70"));
        QCOMPARE(VolumeBoxes::correctedOnLeave("250"), QStringLiteral("100"));
        QCOMPARE(VolumeBoxes::correctedOnLeave("100"), QStringLiteral("100"));
        QCOMPARE(VolumeBoxes::correctedOnLeave("1"), QStringLiteral("1"));
    }

    void typingStoresEachValueAndLeavingCorrects() {
        Started s;
        s.form->tabs()->setCurrentIndex(2);
        QLineEdit* box = s.form->volumeBoxes().box(9);
        QCOMPARE(box->text(), QStringLiteral("80"));
        s.form->activateWindow(); // leaving a box needs the focus
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        box->setFocus();
        box->selectAll();
        QStringList stored;
        for (const char* key : {"1", "0", "5"}) {
            QTest::keyClicks(box, QString::fromLatin1(key));
            stored << s.store->get(settings::sesx(9));
        }
        QCOMPARE(stored, (QStringList{"1", "10", "105"}));
        QCOMPARE(s.form->values().Sesx[9], qint16(105));
        QCOMPARE(s.fakes.player.level, 0L); // 105 applied at once: full level

        QTest::keyClicks(box, QStringLiteral("a:-"));
        QCOMPARE(box->text(), QStringLiteral("105"));

        s.form->volumeBoxes().box(8)->setFocus(); // leave
        QCOMPARE(box->text(), QStringLiteral("100"));
        QCOMPARE(s.store->get(settings::sesx(9)), QStringLiteral("100"));

        box->clear(); // an empty box stores nothing until it is left
        QCOMPARE(s.store->get(settings::sesx(9)), QStringLiteral("100"));
    }

    void sliderStoresAndAppliesOnlyWhilePlaying() {
        Started s;
        RecordingMixer& mixer = s.fakes.mixer;
        QCOMPARE(mixer.wave, 0L);
        s.form->masterSlider()->setValue(4); // idle: stored, computer stays muted
        QCOMPARE(s.store->get(settings::masterVolume()), QStringLiteral("4"));
        QCOMPARE(mixer.wave, 0L);

        s.form->playback().play(s.folders.app() + "/Marşlar/2.mp3", QString(), 70, "Siren", false);
        QCOMPARE(mixer.wave, 6L * 6553);
        s.form->masterSlider()->setValue(1);
        QCOMPARE(mixer.wave, 9L * 6553);
        s.fakes.player.finish();
        QCOMPARE(mixer.wave, 0L);
    }

    void sliderKeysAndWheelFollowItsLook() {
        Started s;
        QSlider* slider = s.form->masterSlider();
        slider->setValue(5);
        QTest::keyClick(slider, Qt::Key_Up); // up the scale: louder, towards 0 at the top
        QCOMPARE(slider->value(), 4);
        QWheelEvent up(QPointF(5, 5), slider->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &up);
        QCOMPARE(slider->value(), 3);
        QTest::keyClick(slider, Qt::Key_Down);
        QCOMPARE(slider->value(), 4);
    }

    void storedSliderPositionIsShownWithoutWriting() {
        TestFolders folders;
        folders.writeSettings("[Ses]\nMasterVolume=7\n");
        RecordingPlatform fakes;
        SettingsStore store;
        MainWindow form(fakes.platform(), store);
        const StartupContext c = contextFor(folders, 5);
        QVERIFY(form.startUp(c));
        QCOMPARE(form.masterSlider()->value(), 7);
        QVERIFY(folders.settingsBytes().contains("MasterVolume=7"));
    }

    void masterLevelSteps() {
        RecordingMixer mixer;
        mixer.waveMin = 0;
        mixer.waveMax = 65536;
        mixer.wavInMin = 0;
        mixer.wavInMax = 0; // no wave channel: bounds 0
        MasterLevel level(&mixer);
        level.setUp();
        QCOMPARE(level.waveStep(), 6553L);
        QCOMPARE(mixer.sets.back(), std::make_pair('W', 0L)); // starts muted
        level.apply(QStringLiteral("0"));
        QCOMPARE(mixer.wave, 65530L);
        level.apply(QStringLiteral("10"));
        QCOMPARE(mixer.wave, 0L);
        level.apply(QStringLiteral("3"));
        QCOMPARE(mixer.wave, 7L * 6553);
        QCOMPARE(mixer.sets.back(), std::make_pair('I', 0L));
        level.mute();
        QCOMPARE(mixer.wave, 0L);

        MasterLevel none(nullptr); // no mixer: every call is a no-op
        none.setUp();
        none.apply(QStringLiteral("0"));
        none.mute();
        QCOMPARE(none.waveStep(), 0L);
    }

    void mixerMissingAtStartIsReportedOnceAndUsedOnceItComes() {
        TestFolders folders;
        RecordingPlatform fakes;
        fakes.mixer.open = false; // the sound server is not up yet at log-on
        SettingsStore store;
        MainWindow form(fakes.platform(), store);
        const StartupContext c = contextFor(folders, 6);
        QVERIFY(form.startUp(c));
        QCOMPARE(fakes.dialogs.messages, QStringList{"No mixer found!"});
        QVERIFY(fakes.mixer.sets.empty());

        fakes.mixer.open = true; // it came later: the first bell gets the stored level
        form.playback().play(folders.app() + "/Marşlar/2.mp3", QString(), 70, "Siren", false);
        QCOMPARE(fakes.mixer.wave, 10L * 6553);
        fakes.player.finish();
        QCOMPARE(fakes.mixer.wave, 0L);
        QCOMPARE(fakes.dialogs.messages.size(), 1);
    }
};

QTEST_MAIN(VolumeTest)
#include "tst_volume.moc"

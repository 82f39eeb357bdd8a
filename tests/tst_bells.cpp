#include "core/SettingsTable.h"
#include "gui/HemenCalPage.h"
#include "gui/MelodilerPage.h"
#include "gui/MuzikPage.h"
#include "sound/GstPlayer.h"
#include "support/StartedForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

namespace {
void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
}
} // namespace

class BellsTest : public QObject {
    Q_OBJECT
private slots:
    void bellButtonsRingWithTheirAnnouncement() {
        Started s;
        HemenCalPage* page = s.form->hemenCalPage();
        page->ringButton(0)->click(); // the first-bell switch does not apply to the buttons
        QCOMPARE(s.fakes.player.opened(), QStringList{s.folders.app() + "/Melodiler/Melodi 5.wav"});
        QCOMPARE(s.form->playback().queued(), QStringLiteral("/Anonslar/0.mp3"));
        QCOMPARE(s.form->findChild<QLabel*>("lblInfo")->text(),
                 QStringLiteral("Öğrenci Giriş zili"));
        QVERIFY(s.form->findChild<QPushButton*>("cmdDurdur")->isEnabled());

        page->ringButton(1)->click();
        QCOMPARE(s.fakes.player.opened().last(), s.folders.app() + "/Melodiler/Melodi 6.wav");
        QVERIFY(s.form->playback().queued().isEmpty());
        QCOMPARE(s.form->playback().info(), QStringLiteral("Öğretmen Giriş zili"));
        s.fakes.player.finish();
        QVERIFY(!s.form->playback().playing());
        QVERIFY(!s.form->findChild<QPushButton*>("cmdDurdur")->isEnabled());
    }

    void melodyChoicePreviewAndSwitches() {
        Started s;
        touch(s.folders.app() + "/Melodiler/Melodi 5.wav");
        touch(s.folders.app() + "/Melodiler/Gong.mp3");
        s.form->tabs()->setCurrentIndex(2);
        MelodilerPage* page = s.form->melodilerPage();
        QComboBox* list = page->melodyList(0);
        list->setCurrentIndex(list->findText("Gong.mp3"));
        QVERIFY(s.store->get(settings::zil(0)) == "Melodi 5.wav"); // not chosen yet
        page->previewButton(0)->click();
        QCOMPARE(s.fakes.player.opened().last(), s.folders.app() + "/Melodiler/Gong.mp3");
        QCOMPARE(s.form->playback().queued(), QStringLiteral("/Anonslar/0.mp3"));

        emit list->activated(list->currentIndex());
        QCOMPARE(s.store->get(settings::zil(0)), QStringLiteral("Gong.mp3"));
        QCOMPARE(s.form->values().Zil[0], QStringLiteral("Gong.mp3"));

        page->announcementBox(0)->click();
        QCOMPARE(s.store->get(settings::anons(0)), QStringLiteral("0"));
        QVERIFY(!s.form->volumeBoxes().box(4)->isEnabled());
        QVERIFY(!s.form->findChild<QLabel*>("lblSes_20")->isEnabled());
        page->announcementBox(0)->click();
        QVERIFY(s.form->volumeBoxes().box(4)->isEnabled());
        QCOMPARE(s.form->values().Anons[0], QStringLiteral("1"));

        page->silentFirstBellBox()->click();
        QCOMPARE(s.store->get(settings::zilIptal()), QStringLiteral("0"));
        QCOMPARE(s.form->values().ZilIptal, QStringLiteral("0"));
    }

    void addingAMelodyRefillsAllThreeLists() {
        Started s;
        touch(s.folders.app() + "/Melodiler/Melodi 5.wav");
        s.form->tabs()->setCurrentIndex(2);
        MelodilerPage* page = s.form->melodilerPage();
        s.fakes.dialogs.onModal = [&](QDialog& dialog) {
            QVERIFY(dialog.findChild<QWidget*>("Command2")->isVisibleTo(&dialog));
            qobject_cast<QPushButton*>(dialog.findChild<QWidget*>("Command2"))->click();
            touch(s.folders.app() + "/Melodiler/Yeni Zil.wav"); // the user copies a file
        };
        QComboBox* list = page->melodyList(1);
        list->setCurrentIndex(list->count() - 1);
        emit list->activated(list->currentIndex());
        QCOMPARE(s.fakes.dialogs.modals.size(), size_t(1));
        QCOMPARE(s.fakes.dialogs.modals.front().mode, QStringLiteral("Melodiler"));
        QCOMPARE(s.fakes.dialogs.modals.front().text,
                 QStringLiteral("Eklemek istediğiniz melodiyi,\n") + s.folders.app() +
                     QStringLiteral("/Melodiler\nklasörüne kopyalayıp 'Tamam'a basın. "));
        QCOMPARE(s.fakes.shell.opened, QStringList{s.folders.app() + "/Melodiler/"});
        for (int k = 0; k < 3; ++k)
            QVERIFY(page->melodyList(k)->findText("Yeni Zil.wav") >= 0);
        QCOMPARE(list->currentText(), "Melodi 6.wav" + MelodilerPage::kMissingMark); // not there
        QCOMPARE(s.store->get(settings::zil(1)), QStringLiteral("Melodi 6.wav"));
        QVERIFY(!s.folders.settingsBytes().contains("Yeni Melodi"));
    }

    void musicNowChainsUntilABellOrDurdur() {
        Started s;
        touch(s.folders.app() + "/Müzik/Şarkı.mid");
        MuzikPage* music = s.form->muzikPage();
        music->playNowButton()->click();
        QCOMPARE(s.form->playback().info(), QStringLiteral("Müzik: Şarkı.mid"));
        s.fakes.player.finish();
        QCOMPARE(s.fakes.player.opened().size(), 2);

        // Unticking the switch does not stop the music that plays.
        s.form->tabs()->setCurrentIndex(3);
        music->musicSwitch()->click();
        QVERIFY(!music->playNowButton()->isEnabled());
        s.fakes.player.finish();
        QCOMPARE(s.fakes.player.opened().size(), 3);

        s.form->hemenCalPage()->ringButton(2)->click(); // a bell ends it
        s.fakes.player.finish();
        QVERIFY(!s.form->playback().playing());

        music->musicSwitch()->click();
        music->playNowButton()->click();
        s.form->findChild<QPushButton*>("cmdDurdur")->click();
        QVERIFY(!s.form->playback().playing());
        QCOMPARE(s.fakes.player.calls.last(), QStringLiteral("unload"));
    }

    void emptyMusicFolderPlaysNothing() {
        Started s;
        QDir().mkpath(s.folders.app() + "/Müzik");
        s.form->muzikPage()->playNowButton()->click();
        QVERIFY(s.fakes.player.calls.isEmpty());
        QVERIFY(!s.form->playback().playing());
    }

    void addSongDialogOpensTheMusicFolder() {
        Started s;
        s.fakes.dialogs.onModal = [&](QDialog& dialog) {
            qobject_cast<QPushButton*>(dialog.findChild<QWidget*>("Command2"))->click();
            // Centred over the main window while it is shown.
            dialog.show();
            const QPoint centre = s.form->frameGeometry().center();
            QVERIFY(qAbs(dialog.frameGeometry().center().x() - centre.x()) <= 2);
            QVERIFY(qAbs(dialog.frameGeometry().center().y() - centre.y()) <= 2);
            dialog.hide();
        };
        s.form->muzikPage()->addSongButton()->click();
        QCOMPARE(s.fakes.dialogs.modals.front().mode, QStringLiteral("Müzik"));
        QVERIFY2(s.fakes.dialogs.modals.front().text.contains(s.folders.app() + "/Müzik\n"),
                 qPrintable(s.fakes.dialogs.modals.front().text));
        QCOMPARE(s.fakes.shell.opened, QStringList{s.folders.app() + "/Müzik/"});
    }

    void countdownsEndOverlapAndCancel() {
        Started s;
        HemenCalPage* page = s.form->hemenCalPage();
        page->ceremonyDelay(1)->setCurrentIndex(1); // 15 s
        QCOMPARE(page->ceremonyDelay(1)->property("Tag").toString(), QStringLiteral("15"));
        page->ceremonyDelay(2)->setCurrentIndex(2); // 30 s
        page->ceremonyButton(1)->click();
        page->ceremonyButton(2)->click();
        QCOMPARE(page->ceremonyButton(1)->text(), QStringLiteral("15"));
        QVERIFY(!page->ceremonyButton(1)->isEnabled());
        QVERIFY(!page->ceremonyDelay(1)->isEnabled());
        QVERIFY(page->cancelCountdownButton(1)->isVisibleTo(page));
        QVERIFY(page->countdownTimer(1)->isActive());
        for (int second = 1; second < 15; ++second) {
            page->countdownTick(1);
            page->countdownTick(2);
        }
        QCOMPARE(page->ceremonyButton(1)->text(), QStringLiteral("1"));
        QVERIFY(s.fakes.player.calls.isEmpty());
        page->countdownTick(1);
        page->countdownTick(2);
        QCOMPARE(page->ceremonyButton(1)->text(), QStringLiteral("Çal"));
        QVERIFY(page->ceremonyButton(1)->isEnabled());
        QVERIFY(!page->countdownTimer(1)->isActive());
        QCOMPARE(s.fakes.player.opened(), QStringList{s.folders.app() + "/Marşlar/1.mp3"});
        QCOMPARE(s.form->playback().queued(), QStringLiteral("/Marşlar/0.mp3"));
        QCOMPARE(s.form->playback().info(), QStringLiteral("Saygı Duruşu + İstiklal Marşı"));
        QCOMPARE(page->ceremonyButton(2)->text(), QStringLiteral("15"));

        page->cancelCountdownButton(2)->click(); // the siren never comes
        QCOMPARE(page->ceremonyButton(2)->text(), QStringLiteral("Çal"));
        QVERIFY(!page->countdownTimer(2)->isActive());
        s.form->values().Sesx[0] = 100;
        s.fakes.player.finish(); // the anthem follows at its own volume
        QCOMPARE(s.fakes.player.opened().last(), s.folders.app() + "/Marşlar/0.mp3");
        QCOMPARE(s.fakes.player.level, 0L);
        QCOMPARE(s.fakes.player.opened().size(), 2);

        page->ceremonyDelay(0)->setCurrentIndex(0); // "Hemen": at once
        page->ceremonyButton(0)->click();
        QCOMPARE(s.fakes.player.opened().last(), s.folders.app() + "/Marşlar/0.mp3");
        QCOMPARE(s.form->playback().info(), QStringLiteral("İstiklal Marşı"));
    }

    void bellWithAnnouncementThroughTheRealPlayer() {
        TestFolders folders;
        GstPlayer player(QStringLiteral("fakesink sync=false"));
        RecordingPlatform fakes;
        Platform platform = fakes.platform();
        platform.player = &player;
        SettingsStore store;
        MainWindow form(platform, store);
        StartupContext c = contextFor(folders, 9);
        c.appPath = QStringLiteral(VELMAR_SOUNDS);
        QVERIFY(form.startUp(c));
        QSignalSpy ends(&player, &Player::finished);
        form.hemenCalPage()->ringButton(0)->click();
        QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 2, 10000);
        QVERIFY(ends.at(0).first().toBool());
        QVERIFY(ends.at(1).first().toBool());
        QTRY_VERIFY(!form.playback().playing());
        QCOMPARE(fakes.mixer.wave, 0L);
    }
};

QTEST_MAIN(BellsTest)
#include "tst_bells.moc"

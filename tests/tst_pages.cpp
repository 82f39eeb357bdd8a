#include "core/SettingsTable.h"
#include "core/Timetable.h"
#include "core/TrayTips.h"
#include "gui/BackupMenu.h"
#include "gui/HemenCalPage.h"
#include "gui/HolidaysDialog.h"
#include "gui/MelodilerPage.h"
#include "gui/MuzikPage.h"
#include "gui/TimeCell.h"
#include "gui/TimetablePage.h"
#include "platform/EventLog.h"
#include "support/StartedForm.h"

#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>

namespace {
void touch(const QString& path) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
}
QStringList items(const QComboBox* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->itemText(i);
    return names;
}
} // namespace

class PagesTest : public QObject {
    Q_OBJECT
private slots:
    void captions() {
        Started s;
        QTabWidget* tabs = s.form->tabs();
        // The other pages come when their tab is first chosen.
        QVERIFY(!s.form->findChild<TimetablePage*>());
        QVERIFY(!s.form->findChild<MelodilerPage*>());
        QStringList captions;
        for (int i = 0; i < tabs->count(); ++i) {
            captions << tabs->tabText(i);
            tabs->setCurrentIndex(i);
            // Tab leads from the tab bar into the page, built late or not.
            QWidget* next = tabs->tabBar()->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisibleTo(s.form.get()) ||
                   !next->isEnabled())
                next = next->nextInFocusChain();
            QVERIFY2(tabs->widget(i)->isAncestorOf(next), qPrintable(next->objectName()));
        }
        QCOMPARE(s.form->findChildren<TimetablePage*>().size(), 2);
        QCOMPARE(captions,
                 (QStringList{"Hemen Çal", "Saatler", "Melodiler", "Müzik Yayını", "Hafta Sonu"}));
        const auto text = [&](const char* name) {
            QWidget* w = s.form->findChild<QWidget*>(QString::fromLatin1(name));
            if (auto* l = qobject_cast<QLabel*>(w))
                return l->text();
            if (auto* b = qobject_cast<QAbstractButton*>(w))
                return b->text();
            return QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
        };
        QCOMPARE(text("cmdZil_1"), QStringLiteral("Öğretmen Zili"));
        QCOMPARE(text("Label3_7"), QStringLiteral(" Saygı Duruşu + İstiklal Marşı"));
        QCOMPARE(text("Label4"), QStringLiteral("  Velmar Dorl"));
        QCOMPARE(text("Label5_0"), QStringLiteral("   ücretsiz zil makinası"));
        QCOMPARE(text("Label5_2"), QStringLiteral("ver: 1.4"));
        QCOMPARE(text("Label3_6"), QStringLiteral(" Öğlenci Devre"));
        QCOMPARE(text("Label2_45"), QStringLiteral("1. ders"));
        QCOMPARE(text("Label2_34"), QStringLiteral("12. ders"));
        QCOMPARE(text("Label1_14"), QStringLiteral("Çıkış"));
        QCOMPARE(text("chkZilIptal"), QStringLiteral("1. zil sıra için olduğundan anons yapma"));
        QCOMPARE(text("chkTenefus_23"), QStringLiteral("12. tenefüs"));
        QCOMPARE(text("chkTenefus_6"), QStringLiteral("1. tenefüs"));
        QCOMPARE(text("Label1_10"),
                 QStringLiteral("NOT: Şarkılar rastgele seçilip çalınmaktadır."));
        QCOMPARE(text("cmdYeniSarki"), QStringLiteral("Yeni Şarkı Ekle"));
        QCOMPARE(text("Label6"), QStringLiteral("Ana Ses"));
        QCOMPARE(text("cmdDurdur"), QStringLiteral("Durdur"));
        QCOMPARE(items(s.form->hemenCalPage()->ceremonyDelay(2)),
                 (QStringList{"Hemen", "15 saniye sonra", "30 saniye sonra", "45 saniye sonra",
                              "1 dakika sonra", "2 dakika sonra", "3 dakika sonra"}));
        QCOMPARE(s.form->saatlerPage()->cell(2)->property("Tag").toString(),
                 QStringLiteral("ÇıkışZili"));
    }

    void switchingPagesStoresAndPlaysNothing() {
        Started s;
        QDir().mkpath(s.folders.app() + "/Melodiler");
        touch(s.folders.app() + "/Melodiler/Melodi 5.wav");
        const QByteArray before = s.folders.settingsBytes();
        QTabWidget* tabs = s.form->tabs();
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < tabs->count(); ++i)
                tabs->setCurrentIndex(i);
        }
        QCOMPARE(s.folders.settingsBytes(), before);
        QVERIFY(s.fakes.player.calls.isEmpty());
    }

    void melodyListsInPatternOrderWithoutDuplicates() {
        Started s;
        const QString dir = s.folders.app() + "/Melodiler";
        QDir().mkpath(dir);
        for (const char* name : {"Zil.mp3", "Zil.wav", "Çan.mid", "Melodi 5.wav", "not.txt"})
            touch(dir + "/" + name);
        s.form->tabs()->setCurrentIndex(2);
        s.form->tabs()->setCurrentIndex(0);
        s.form->tabs()->setCurrentIndex(2);
        MelodilerPage* page = s.form->melodilerPage();
        for (int k = 0; k < 3; ++k) {
            const QStringList names = items(page->melodyList(k));
            QCOMPARE(names.size(),
                     5 + (k == 0 ? 0 : 1)); // stored names not in the folder are shown too
            QCOMPARE(names.last(), MelodilerPage::kAddMelody);
            QVERIFY(names.indexOf("Zil.wav") < names.indexOf("Zil.mp3"));
            QVERIFY(names.indexOf("Zil.mp3") < names.indexOf("Çan.mid"));
        }
        QCOMPARE(page->melodyList(0)->currentText(), QStringLiteral("Melodi 5.wav"));
        QCOMPARE(page->melodyList(2)->currentText(), "Melodi 1.wav" + MelodilerPage::kMissingMark);
    }

    void missingMelodyIsMarkedKeptAndLoggedWhenDue() {
        QStringList log;
        eventlog::setSink([&](eventlog::Level, const QString& line) { log << line; });
        Started s; // no melody folder at all
        s.form->tabs()->setCurrentIndex(2);
        QComboBox* list = s.form->melodilerPage()->melodyList(1);
        QCOMPARE(items(list), (QStringList{"Melodi 6.wav (dosya yok)", MelodilerPage::kAddMelody}));
        QCOMPARE(list->toolTip(), MelodilerPage::kMissingTip);
        // Chosen again, the stored name stays as it was.
        emit list->activated(0);
        QCOMPARE(s.store->get(settings::zil(1)), QStringLiteral("Melodi 6.wav"));

        const QString due = timetable::defaultCellText(1);
        s.fakes.clock.set(QDateTime(kMonday.date(), QTime::fromString(due, "HH:mm")));
        emit s.form->weekdayTimer().timeout();
        eventlog::setSink({});
        const QStringList missing = log.filter(QStringLiteral("melodi dosyası yok"));
        QCOMPARE(missing.size(), 1);
        QVERIFY2(missing.first().contains("Öğretmen giriş zili " + due) &&
                     missing.first().contains("Melodi 6.wav"),
                 qPrintable(missing.first()));
    }

    void listsTakeTheWheelOnlyWhenFocused() {
        Started s;
        QDir().mkpath(s.folders.app() + "/Melodiler");
        for (const char* name : {"Melodi 5.wav", "Zil.wav"})
            touch(s.folders.app() + "/Melodiler/" + name);
        s.form->tabs()->setCurrentIndex(2);
        QComboBox* list = s.form->melodilerPage()->melodyList(0);
        const QByteArray before = s.folders.settingsBytes();
        const int index = list->currentIndex();
        // The folder's order is the file system's (tmpfs lists the newest
        // first): turn the wheel towards the other melody, whichever side it is.
        const int towards = list->itemText(index + 1) == QLatin1String("Zil.wav") ? -120 : 120;
        QCOMPARE(list->itemText(towards < 0 ? index + 1 : index - 1), QStringLiteral("Zil.wav"));
        const auto wheel = [list, towards] {
            QWheelEvent turn(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), QPoint(),
                             QPoint(0, towards), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                             false);
            QApplication::sendEvent(list, &turn);
        };
        wheel();
        QCOMPARE(list->currentIndex(), index);
        QCOMPARE(s.fakes.dialogs.modals.size(), size_t(0));
        QCOMPARE(s.folders.settingsBytes(), before);
        s.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        list->setFocus();
        QVERIFY(list->hasFocus());
        wheel(); // focused: the wheel works as ever
        QCOMPARE(s.store->get(settings::zil(0)), QStringLiteral("Zil.wav"));
    }

    void everyTextFieldHasAnAccessibleName() {
        Started s;
        for (int i = 1; i < s.form->tabs()->count(); ++i)
            s.form->tabs()->setCurrentIndex(i);                               // every page built
        s.form->findChild<QToolBar*>("Toolbar1")->actions().at(1)->trigger(); // Tatil Günleri
        QStringList unnamed;
        for (const QLineEdit* field : s.form->findChildren<QLineEdit*>()) {
            // A date box's inner line is read through the box itself.
            const auto* box = qobject_cast<const QAbstractSpinBox*>(field->parentWidget());
            const QString name = box ? box->accessibleName() : field->accessibleName();
            if (name.isEmpty() &&
                field->objectName() != QLatin1String("txtPrevInstance")) // hidden, for signals
                unnamed << field->objectName();
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(' ')));
        QCOMPARE(s.form->saatlerPage()->cell(0)->accessibleName(),
                 QStringLiteral("Sabahçı Devre, 1. ders öğrenci giriş saati"));
        // The afternoon's first row, as its labels read.
        QCOMPARE(s.form->saatlerPage()->cell(18)->accessibleName(),
                 QStringLiteral("Öğlenci Devre, 1. ders öğrenci giriş saati"));
        QCOMPARE(s.form->saatlerPage()->cell(35)->accessibleName(),
                 QStringLiteral("Öğlenci Devre, 6. ders çıkış saati"));
        QCOMPARE(s.form->haftaSonuPage()->cell(71)->accessibleName(),
                 QStringLiteral("Hafta sonu 12. ders çıkış saati"));
        QCOMPARE(s.form->volumeBoxes().box(9)->accessibleName(),
                 QStringLiteral("Çıkış zili ses düzeyi"));
        s.form->masterSlider()->setValue(2);
        QCOMPARE(s.form->masterSlider()->accessibleDescription(),
                 QStringLiteral("Ses düzeyi 10 üzerinden 8"));
    }

    // At its first size the holiday window shows its calendar whole: every
    // week of the month, nothing laid over it.
    void theHolidayCalendarShowsEveryWeek() {
        Started s;
        s.form->findChild<QToolBar*>("Toolbar1")->actions().at(1)->trigger();
        HolidaysDialog* dialog = s.form->holidaysWindow();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        const QWidget* calendar = dialog->calendar();
        QVERIFY(calendar->height() >= calendar->minimumSizeHint().height());
        for (const QWidget* other :
             dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            QVERIFY2(other == calendar || !other->geometry().intersects(calendar->geometry()),
                     qPrintable(other->objectName()));
        }
    }

    void holidaysAndBackupFromTheToolbar() {
        Started s; // Monday 2026-12-07 09:00
        const QToolBar* toolbar = s.form->findChild<QToolBar*>("Toolbar1");
        const auto* clock = s.form->findChild<QLabel*>("lblTime");
        QCOMPARE(toolbar->actions().at(1)->text(), QStringLiteral("Tatil Günleri"));
        toolbar->actions().at(1)->trigger();
        HolidaysDialog* dialog = s.form->holidaysWindow();
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        QVERIFY(s.fakes.dialogs.modals.empty());

        dialog->findChild<QPushButton*>("cmdTatilYap")->click(); // today is chosen at first
        QVERIFY(s.form->holidays().contains(kMonday.date()));
        QVERIFY2(clock->text().endsWith(QStringLiteral("Bugün tatil")), qPrintable(clock->text()));
        QCOMPARE(s.fakes.tray.calls.last().section('\n', 0, 1),
                 QStringLiteral("tip:") + traytips::idle() + QStringLiteral("\nBugün tatil"));
        QVERIFY(s.store->get(settings::tatilGunler()).contains(QStringLiteral("2026-12-07")));
        dialog->findChild<QPushButton*>("cmdTatilKaldir")->click();
        QVERIFY(!clock->text().contains(QStringLiteral("tatil")));
        QVERIFY(!s.fakes.tray.calls.last().contains(QStringLiteral("tatil")));

        // Today given the weekend table (an exam day), Fridays no bells: the
        // table in force follows at once.
        dialog->rangeChoice()->setCurrentIndex(1);
        dialog->findChild<QPushButton*>("cmdUygula")->click();
        QVERIFY(s.form->weekendTable());
        QCOMPARE(s.form->dayPlan().tableFor(kMonday.date().addDays(7)), 0);
        QComboBox* friday = dialog->weekdayChoice(5);
        friday->setCurrentIndex(2);
        emit friday->activated(2);
        QCOMPARE(s.store->get(settings::gunTablosu(5)), QStringLiteral("2"));
        QCOMPARE(s.form->dayPlan().tableFor(QDate(2026, 12, 11)), -1);
        dialog->findChild<QPushButton*>("cmdTatilKaldir")->click();
        QVERIFY(!s.form->weekendTable());

        // Yedek: out, a change, back in: the page shows the backup's time again.
        s.fakes.dialogs.chosenFile = s.folders.root() + QStringLiteral("/yedek.ini");
        s.form->backupMenu()->exportSettings();
        s.form->tabs()->setCurrentIndex(1);
        TimeCell* cell = s.form->saatlerPage()->cell(2);
        cell->setText(QStringLiteral("11:11"));
        QCOMPARE(s.store->get(settings::timex(2)), QStringLiteral("11:11"));
        s.form->backupMenu()->importSettings();
        QCOMPARE(cell->text(), QStringLiteral("09:10"));
        QCOMPARE(s.form->values().timex[2], QStringLiteral("09:10"));
        QVERIFY2(s.fakes.dialogs.messages.last().startsWith(QStringLiteral("Yedek içe aktarıldı")),
                 qPrintable(s.fakes.dialogs.messages.join('|')));
    }

    // The ceremonies' switches and times are stored, and a backup brings them back.
    void ceremonySettingsAreStored() {
        Started s; // Monday 2026-12-07
        auto* remembrance = s.form->findChild<QCheckBox*>("chkOnKasim");
        QVERIFY(remembrance->isChecked());
        remembrance->click();
        QCOMPARE(s.store->get(settings::onKasim()), QStringLiteral("0"));
        QCOMPARE(s.form->values().OnKasim, QStringLiteral("0"));

        s.form->findChild<QToolBar*>("Toolbar1")->actions().at(1)->trigger();
        HolidaysDialog* dialog = s.form->holidaysWindow();
        QVERIFY(!dialog->flagCeremonySwitch()->isChecked());
        s.fakes.dialogs.chosenFile = s.folders.root() + QStringLiteral("/yedek.ini");
        s.form->backupMenu()->exportSettings();
        dialog->flagCeremonySwitch()->click();
        dialog->ceremonyTime(1)->setText(QStringLiteral("12:3_"));
        QCOMPARE(s.store->get(settings::bayrakToreni()), QStringLiteral("1"));
        QCOMPARE(s.store->get(settings::torenSaati(1)), QStringLiteral("12:3_"));
        QCOMPARE(s.form->values().TorenSaati[1], QStringLiteral("12:3_"));
        // The list names the eves and each bayram day of the year ahead.
        QVERIFY(!dialog->findChild<QListWidget*>("lstTatil")
                     ->findItems(QStringLiteral("08.03.2027 Pazartesi  (Ramazan Bayramı arifesi: "
                                                "13.00'ten sonra zil yok)"),
                                 Qt::MatchExactly)
                     .isEmpty());
        QVERIFY(!dialog->findChild<QListWidget*>("lstTatil")
                     ->findItems(QStringLiteral("Kurban Bayramı 2. gün"), Qt::MatchContains)
                     .isEmpty());

        s.form->backupMenu()->importSettings();
        QVERIFY(!dialog->flagCeremonySwitch()->isChecked());
        QCOMPARE(dialog->ceremonyTime(1)->text(), QStringLiteral("15:05"));
        QCOMPARE(s.form->values().BayrakToreni, QStringLiteral("0"));
        s.form->tabs()->setCurrentIndex(0);
        QVERIFY(!remembrance->isChecked()); // as it was exported
    }

    // A typed time reaches the day's logic (the wake-up, the tray's tip)
    // without waiting for the next minute's pass.
    void typedTimeTakenUpAtOnce() {
        Started s; // Monday 09:00, the clock standing still
        QSignalSpy status(&s.form->schoolDay(), &SchoolDay::statusChanged);
        QTRY_VERIFY(!status.isEmpty()); // the first pass, right after start-up
        status.clear();
        s.form->tabs()->setCurrentIndex(1);
        s.form->saatlerPage()->cell(2)->setText(QStringLiteral("09:05"));
        QTRY_VERIFY(!status.isEmpty());
    }

    void announcementSwitchGreysItsVolume() {
        Started s;
        s.form->tabs()->setCurrentIndex(2);
        MelodilerPage* page = s.form->melodilerPage();
        QVERIFY(page->announcementBox(0)->isChecked());
        QVERIFY(s.form->volumeBoxes().box(4)->isEnabled());
        QVERIFY(!page->announcementBox(1)->isChecked());
        QVERIFY(!s.form->volumeBoxes().box(5)->isEnabled());
        QVERIFY(!s.form->findChild<QLabel*>("lblSes_21")->isEnabled());
        QVERIFY(!s.form->findChild<QLabel*>("lblSes_31")->isEnabled());
        QVERIFY(page->silentFirstBellBox()->isChecked());
    }

    void firstPageResetsTheDelays() {
        Started s;
        HemenCalPage* page = s.form->hemenCalPage();
        page->ceremonyDelay(1)->setCurrentIndex(4);
        s.form->tabs()->setCurrentIndex(3);
        s.form->tabs()->setCurrentIndex(0);
        QCOMPARE(page->ceremonyDelay(1)->currentText(), QStringLiteral("Hemen"));
    }

    void musicOffShowsTheOffState() {
        TestFolders folders;
        folders.writeSettings("[M%FCzik]\nAktif=0\nMusicT%280%29=0\n");
        RecordingPlatform fakes;
        SettingsStore store;
        MainWindow form(fakes.platform(), store);
        const StartupContext c = contextFor(folders, 7);
        QVERIFY(form.startUp(c));
        form.tabs()->setCurrentIndex(3);
        MuzikPage* page = form.muzikPage();
        QVERIFY(!page->musicSwitch()->isChecked());
        QVERIFY(!page->breakBox(1)->isEnabled());
        QVERIFY(!page->playNowButton()->isEnabled());
        QVERIFY(!form.volumeBoxes().box(3)->isEnabled());
        QVERIFY(!page->breakBox(0)->isChecked());
        QVERIFY(page->breakBox(1)->isChecked());
        QVERIFY(page->musicSwitch()->isEnabled());

        page->musicSwitch()->click();
        QVERIFY(page->addSongButton()->isEnabled());
        QCOMPARE(store.get(settings::aktif()), QStringLiteral("1"));
        QCOMPARE(form.values().Aktif, qint16(1));
    }
};

QTEST_MAIN(PagesTest)
#include "tst_pages.moc"

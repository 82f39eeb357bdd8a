#include "core/Backup.h"
#include "core/SettingsTable.h"
#include "gui/AboutInfo.h"
#include "gui/MainWindow.h"
#include "gui/NoticeDialog.h"
#include "platform/QtTranslations.h"
#include "platform/SettingsStore.h"
#include "platform/SoundHome.h"
#include "support/AsyncSend.h"
#include "support/RecordingPlatform.h"
#include "support/StartedForm.h"
#include "support/TestFolders.h"

#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void normalWeekdayStart() {
        Started s;
        QVERIFY(s.running);
        QVERIFY(s.form->isVisible());
        QCOMPARE(s.form->windowTitle(), QStringLiteral("Velmar Dorl"));
        QVERIFY(!s.form->weekendTable());
        QCOMPARE(s.form->dayName(), QStringLiteral("Pazartesi   "));
        QCOMPARE(s.store->get(settings::hwnd()), QStringLiteral("1000"));
        QCOMPARE(s.fakes.logonStart.registered, QStringList{s.folders.app() + "/velmar-dorl"});
        QCOMPARE(s.fakes.eventSounds.silenced, 1);
        QCOMPARE(s.fakes.tray.calls.filter(QRegularExpression("^(add|remove)$")),
                 QStringList{"add"});
        QCOMPARE(s.fakes.mixer.sets.back(), std::make_pair('W', 0L)); // muted
        QVERIFY(s.fakes.dialogs.modals.empty());
        QCOMPARE(s.form->values().timex[0], QStringLiteral("08:15"));
        // 5205 x 7560 twips at the screen's logical DPI (two lines under the clock).
        const double dpi = s.form->logicalDpiY();
        QCOMPARE(s.form->height(), qRound(7560 * dpi / 1440));
        QCOMPARE(s.form->width(), qRound(5205 * dpi / 1440));
    }

    void systrayStartIsHiddenAndOnlyRenewsAnOldEntry() {
        Started s(QStringLiteral("-systray"));
        QVERIFY(s.running);
        QVERIFY(!s.form->isVisible());
        QVERIFY(s.fakes.logonStart.registered.isEmpty());
        // Only an older entry is brought up to date.
        QCOMPARE(s.fakes.logonStart.renewed, QStringList{s.folders.app() + "/velmar-dorl"});
        QCOMPARE(s.fakes.eventSounds.silenced, 1);
        QVERIFY(!s.form->clockTimer().isActive()); // the clock label rests while hidden
    }

    void otherArgumentsStartVisible_data() {
        QTest::addColumn<QString>("arguments");
        QTest::newRow("capitals") << "-SYSTRAY";
        QTest::newRow("with more") << "-systray x";
        QTest::newRow("other") << "--help";
    }
    void otherArgumentsStartVisible() {
        QFETCH(QString, arguments);
        Started s(arguments);
        QVERIFY(s.form->isVisible());
        QCOMPARE(s.fakes.logonStart.registered.size(), 1);
    }

    void saturdayShowsModalNoticeOverTheWindow() {
        Started s(QString(), kSaturday);
        QVERIFY(s.form->weekendTable());
        QCOMPARE(s.form->dayName(), QStringLiteral("Cumartesi   "));
        QCOMPARE(s.fakes.dialogs.modals.size(), size_t(1));
        const auto& notice = s.fakes.dialogs.modals.front();
        QCOMPARE(notice.mode, QStringLiteral("Cumartesi"));
        QCOMPARE(notice.text, QStringLiteral("Bu gün Cumartesi olduğu için.\n"
                                             "Zil Haftasonu saatlerine göre çalışmaktadır."));
        QVERIFY(notice.ownerVisible);
        QVERIFY(!s.modelessNotice());
    }

    void endedDuringTheWeekendNoticeSetsNothingUp() {
        RecordingPlatform fakes;
        fakes.clock.set(kSaturday);
        TestFolders folders;
        SettingsStore store;
        MainWindow form(fakes.platform(), store);
        // "Çıkış" from the tray while the notice is up.
        fakes.dialogs.onModal = [&](QDialog&) { fakes.tray.commands.exitProgram(); };
        QVERIFY(form.startUp(contextFor(folders, 1000)));
        QVERIFY(form.hasEnded());
        QVERIFY(!form.isVisible());
        QVERIFY(fakes.mixer.sets.empty());
        QVERIFY(fakes.logonStart.registered.isEmpty());
        QCOMPARE(fakes.eventSounds.silenced, 0);
    }

    void sundayWithSystrayShowsModelessNoticeInTheCorner() {
        Started s(QStringLiteral("-systray"), kSunday);
        QVERIFY(s.form->weekendTable());
        QVERIFY(s.fakes.dialogs.modals.empty());
        QVERIFY(!s.form->isVisible());
        NoticeDialog* notice = s.modelessNotice();
        QVERIFY(notice);
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->mode(), QStringLiteral("Pazar"));
        QVERIFY(!notice->findChild<QWidget*>(QStringLiteral("Command2"))->isVisible());
        const QRect screen = notice->screen()->geometry();
        QCOMPARE(notice->frameGeometry().right(), screen.right());
        QVERIFY(notice->frameGeometry().bottom() < screen.bottom());
    }

    void withoutATrayTheWindowStaysOnTheTaskBar() {
        RecordingPlatform fakes;
        fakes.tray.trayShown = false; // GNOME without the extension
        TestFolders folders;
        SettingsStore store;
        MainWindow form(fakes.platform(), store);
        QVERIFY(form.startUp(contextFor(folders, 1000, QStringLiteral("-systray"))));
        QVERIFY(form.isVisible());
        QVERIFY(form.windowState() & Qt::WindowMinimized);
        form.showNormal();
        QVERIFY(!form.close()); // closing minimizes, it does not hide
        QVERIFY(form.isVisible());
        QVERIFY(form.windowState() & Qt::WindowMinimized);

        fakes.tray.trayShown = true; // a tray came: closing hides again
        fakes.tray.commands.trayAvailabilityChanged(true);
        form.showNormal();
        form.close();
        QVERIFY(!form.isVisible());
        fakes.tray.trayShown = false; // and went: the window comes back to the task bar
        fakes.tray.commands.trayAvailabilityChanged(false);
        QVERIFY(form.isVisible());
    }

    void withoutATrayTheWindowOffersTheWayOut() {
        RecordingPlatform fakes;
        fakes.tray.trayShown = false;
        TestFolders folders;
        SettingsStore store;
        MainWindow form(fakes.platform(), store);
        QVERIFY(form.startUp(contextFor(folders, 1000, QStringLiteral("-systray"))));
        QAction* exit = form.findChild<QAction*>(QStringLiteral("Toolbar1_cikis"));
        QVERIFY(exit && exit->isVisible());
        QCOMPARE(exit->text(), QStringLiteral("Çıkış"));
        form.showNormal(); // in the toolbar's width, not behind its overflow button
        QVERIFY(form.findChild<QToolBar*>("Toolbar1")->widgetForAction(exit)->isVisible());
        fakes.tray.trayShown = true; // the tray's menu has it
        fakes.tray.commands.trayAvailabilityChanged(true);
        QVERIFY(!exit->isVisible());
        fakes.tray.trayShown = false;
        fakes.tray.commands.trayAvailabilityChanged(false);
        QVERIFY(exit->isVisible());
        QSignalSpy ended(&form, &MainWindow::ended);
        exit->trigger();
        QCOMPARE(ended.size(), 1);
        QVERIFY(form.quitting());
    }

    void closeAndMinimiseOnlyHide() {
        Started s;
        QVERIFY(!s.form->close());
        QVERIFY(!s.form->isVisible());
        QVERIFY(!s.form->quitting());
        QVERIFY(!s.form->clockTimer().isActive());
        s.form->show();
        QVERIFY(s.form->clockTimer().isActive());
        s.form->setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(!s.form->isVisible());
        QVERIFY(!(s.form->windowState() & Qt::WindowMinimized));
    }

    void prevInstanceShowsTheWindowOnItsFirstTab() {
        Started s(QStringLiteral("-systray"));
        s.form->tabs()->setCurrentIndex(2);
        auto reply = sendAsync(s.folders.runtime(), 1000, QStringLiteral("PrevInstance"));
        QTRY_VERIFY(s.form->isVisible());
        QTRY_VERIFY(isReady(reply));
        QCOMPARE(reply.get(), 1);
        QCOMPARE(s.form->tabs()->currentIndex(), 0);
        QCOMPARE(s.fakes.tray.calls.filter(QRegularExpression("^(add|remove)$")),
                 (QStringList{"add", "remove", "add"}));
        auto* field = s.form->findChild<QLineEdit*>(QStringLiteral("txtPrevInstance"));
        QCOMPARE(field->text(), QStringLiteral("idle"));
    }

    void otherWordsAreIgnoredAndUninstallEnds() {
        Started s;
        s.store->save(settings::masterVolume(), QStringLiteral("2"));
        s.form->values().MasterVolume = QStringLiteral("2");
        QSignalSpy ended(s.form.get(), &MainWindow::ended);
        auto ignored = sendAsync(s.folders.runtime(), 1000, QStringLiteral("Uninstall"));
        QTRY_VERIFY(isReady(ignored));
        QCOMPARE(ignored.get(), 1);
        auto* field = s.form->findChild<QLineEdit*>(QStringLiteral("txtPrevInstance"));
        QTRY_COMPARE(field->text(), QStringLiteral("Uninstall")); // taken, and left alone
        QCOMPARE(ended.size(), 0);
        QVERIFY(s.form->isVisible());

        auto reply = sendAsync(s.folders.runtime(), 1000, QStringLiteral("uninstall"));
        QTRY_COMPARE(ended.size(), 1);
        QVERIFY(s.form->quitting());
        QVERIFY(!s.form->isVisible());
        // Not left muted: the master level of position 2 is applied.
        QCOMPARE(s.fakes.mixer.wave, 8L * 6553);
        QCOMPARE(s.fakes.tray.calls.last(), QStringLiteral("remove"));
    }

    void text1UndoesEdits() {
        Started s;
        auto* contactField = s.form->findChild<QLineEdit*>(QStringLiteral("Text1"));
        contactField->setText(QStringLiteral("changed"));
        QCOMPARE(contactField->text(), aboutinfo::kContactAddress);
    }

    void secondInstanceWithStaleHandleShowsNoticeAndWritesNothing() {
        TestFolders folders;
        InstanceLock running(folders.runtime());
        QCOMPARE(running.tryAcquire(), InstanceLock::Acquired);
        folders.writeSettings("[Genel]\nhwnd=99999\n");
        const QByteArray before = folders.settingsBytes();

        RecordingPlatform fakes;
        SettingsStore store;
        MainWindow form(fakes.platform(), store);
        const StartupContext c = contextFor(folders, 2000);
        QVERIFY(!form.startUp(c));
        QVERIFY(form.quitting());
        QCOMPARE(fakes.dialogs.modals.size(), size_t(1));
        QCOMPARE(fakes.dialogs.modals.front().mode, QStringLiteral("Previnstance"));
        QVERIFY(fakes.dialogs.modals.front().text.startsWith(
            QStringLiteral("Programın bir kopyası zaten çalışmakta.\n")));
        QVERIFY(fakes.tray.calls.isEmpty());
        QCOMPARE(fakes.eventSounds.silenced, 0);
        QCOMPARE(folders.settingsBytes(), before);
    }

    void secondProcessHandsOverAndEnds() {
        Started first(QStringLiteral("-systray"), kMonday, QCoreApplication::applicationPid());
        const QByteArray before = first.folders.settingsBytes();
        QProcess second;
        second.setProgram(QStringLiteral(VELMAR_PROGRAM));
        second.start();
        QVERIFY(second.waitForStarted(5000));
        // It blocks on the first instance's answer: keep this loop turning.
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY(first.form->isVisible());
        QCOMPARE(first.folders.settingsBytes(), before);
    }

    // velmar-dorl --import without a window: a broken backup changes nothing
    // and says so in the exit status; a good one is taken in and the running
    // copy shows it at once.
    void importFromTheCommandLine() {
        Started first(QStringLiteral("-systray"), kMonday, QCoreApplication::applicationPid());
        const QString good = first.folders.root() + QStringLiteral("/yedek.ini");
        const QString broken = first.folders.root() + QStringLiteral("/bozuk.ini");
        {
            SettingsStore other(first.folders.root() + QStringLiteral("/other.ini"));
            QVERIFY(other.save(settings::timex(2), QStringLiteral("09:05")));
            QCOMPARE(backup::exportTo(other, good), QString());
            QFile file(broken);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Yedek]\nProgram=Velmar Dorl\n");
        }
        const auto runImport = [](const QString& file, QProcess& import) {
            import.start(QStringLiteral(VELMAR_PROGRAM), {QStringLiteral("--import"), file});
            QVERIFY(import.waitForStarted(5000));
            // It waits for the running copy's answer: keep this loop turning.
            QTRY_COMPARE_WITH_TIMEOUT(import.state(), QProcess::NotRunning, 10000);
            QCOMPARE(import.exitStatus(), QProcess::NormalExit);
        };
        const QByteArray before = first.folders.settingsBytes();
        QProcess refused;
        runImport(broken, refused);
        QCOMPARE(refused.exitCode(), 1);
        QVERIFY(QString::fromLocal8Bit(refused.readAllStandardError()).contains("ayar eksik"));
        QCOMPARE(first.folders.settingsBytes(), before);

        QProcess taken;
        runImport(good, taken);
        QCOMPARE(taken.exitCode(), 0);
        QVERIFY(QString::fromUtf8(taken.readAllStandardOutput())
                    .contains(QStringLiteral("Çalışan Velmar Dorl yeni ayarları aldı.")));
        QTRY_COMPARE(first.form->values().timex[2], QStringLiteral("09:05"));
        QCOMPARE(first.store->get(settings::hwnd()),
                 QString::number(QCoreApplication::applicationPid()));
        QVERIFY(!first.form->isVisible());
    }

    void readOnlyProgramFolderKeepsTheSoundsInTheUsersDataFolder() {
        TestFolders folders;
        const QString defaults = QStringLiteral(VELMAR_SOUNDS);
        const QString data = folders.root() + "/data/VelmarDorl";
        const auto has = [&data](const char* file) {
            return QFileInfo::exists(data + "/" + QString::fromUtf8(file));
        };

        QCOMPARE(soundhome::choose(folders.app(), true, defaults, data), folders.app());
        QCOMPARE(soundhome::choose(folders.app(), false, defaults, data), data);
        for (const char* file : {"Melodiler/Melodi 5.wav", "Anonslar/0.mp3", "Marşlar/2.mp3",
                                 "Müzik/Frère Jacques.mid"})
            QVERIFY2(has(file), file);
        QCOMPARE(soundhome::defaultsFor(folders.root() + "/usr/bin"),
                 folders.root() + "/usr/share/velmar-dorl");

        // The school deletes a song and an announcement and puts its own bell
        // in place of a default: the next start keeps all three so.
        QVERIFY(QFile::remove(data + "/Müzik/Frère Jacques.mid"));
        QVERIFY(QFile::remove(data + "/Anonslar/0.mp3"));
        QFile own(data + "/Melodiler/Melodi 1.wav");
        QVERIFY(own.open(QIODevice::WriteOnly | QIODevice::Truncate));
        own.write("okulun kendi zili");
        own.close();
        QCOMPARE(soundhome::choose(folders.app(), false, defaults, data), data);
        QVERIFY(!has("Müzik/Frère Jacques.mid"));
        QVERIFY(!has("Anonslar/0.mp3"));
        QVERIFY(own.open(QIODevice::ReadOnly));
        QCOMPARE(own.readAll(), QByteArray("okulun kendi zili"));
        QVERIFY(has("Müzik/Neşeye Övgü.mid"));

        // Folders an earlier version filled at every start: what is missing
        // was deleted. A folder made now is filled.
        const QString earlier = folders.root() + "/earlier/VelmarDorl";
        QVERIFY(QDir().mkpath(earlier + "/Müzik"));
        QCOMPARE(soundhome::choose(folders.app(), false, defaults, earlier), earlier);
        QVERIFY(QDir(earlier + "/Müzik").isEmpty());
        QVERIFY(QFileInfo::exists(earlier + "/Melodiler/Melodi 5.wav"));
    }

    void qtsOwnTextsAreTurkish() {
        QVERIFY(installTurkishQtTexts(*QCoreApplication::instance()));
        QLineEdit field;
        std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions())
            texts << action->text();
        QVERIFY2(!texts.join(' ').contains(QLatin1String("Paste")), qPrintable(texts.join(' ')));
    }

    void brokenSettingsFileStillStarts() {
        TestFolders folders;
        QByteArray garbage(4096, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919) & 0xff);
        folders.writeSettings(garbage);
        RecordingPlatform fakes;
        SettingsStore store;
        MainWindow form(fakes.platform(), store);
        const StartupContext c = contextFor(folders, 3000);
        QVERIFY(form.startUp(c));
        QCOMPARE(form.values().Zil[0], QStringLiteral("Melodi 5.wav"));
        QFile kept(store.brokenCopyPath());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), garbage);
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"

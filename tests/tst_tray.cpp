// The real tray icon under Xvfb with a tray host (trayer), driven by xdotool.
#include "core/TrayTips.h"
#include "gui/AboutDialog.h"
#include "gui/SystemTrayIcon.h"
#include "platform/TrayWatch.h"
#include "support/StartedForm.h"

#include <QDBusConnection>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

namespace {
void xdotool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(5000);
}
void clickAt(QPoint at, const QString& button, int repeat = 1) {
    QStringList args{QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                     QStringLiteral("click")};
    if (repeat > 1)
        args << QStringLiteral("--repeat") << QString::number(repeat) << QStringLiteral("--delay")
             << QStringLiteral("80");
    args << button;
    xdotool(args);
}
// Ends or starts the test services' tray host (trayer).
void trayHost(const QString& what) {
    QProcess ctl;
    ctl.start(qEnvironmentVariable("VELMAR_TRAYER_CTL"), {what});
    ctl.waitForFinished(10000);
}
QImage grabTray(const QRect& area) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage();
}
// Something is drawn: not one colour all over.
bool painted(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != image.pixel(0, 0))
                return true;
        }
    }
    return false;
}
} // namespace

class TrayTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            // The tray host may still be starting, slowly on a busy PC.
            if (!QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 30000)) {
                if (qEnvironmentVariableIsSet("VELMAR_TEST_SERVICES"))
                    QFAIL("the test services should provide a tray");
                QSKIP("no tray");
            }
        }
    }

    void frameCounterAndTips() {
        QCOMPARE(SystemTrayIcon::nextFrame(0), 1);
        QCOMPARE(SystemTrayIcon::nextFrame(1), 0);
        QCOMPARE(traytips::idle(), QStringLiteral("Velmar Dorl   (Çalışıyor)"));
        QCOMPARE(traytips::playing("Çıkış zili"),
                 QStringLiteral("Velmar Dorl   (Çıkış zili çalıyor.)"));
        QCOMPARE(traytips::playing(QString(80, QLatin1Char('x'))).size(), 63);
    }

    void iconBlinksWhilePlayingAndMenuEndsTheProgram() {
        SystemTrayIcon tray;
        Started s(QStringLiteral("-systray"));
        Platform platform = s.fakes.platform();
        platform.tray = &tray;
        MainWindow form(platform, *s.store);
        StartupContext c = s.context(QStringLiteral("-systray"), 4444);
        c.runtimeFolder = s.folders.root(); // its own lock, next to the first form's
        QVERIFY(form.startUp(c));
        QVERIFY(!form.isVisible());
        // Embedded in the tray host at the bottom right, not the first place it reports.
        QTRY_VERIFY(tray.icon().geometry().isValid() && !tray.icon().geometry().isEmpty() &&
                    tray.icon().geometry().topLeft() != QPoint(0, 0));
        const QRect area = tray.icon().geometry();
        QCOMPARE(tray.icon().toolTip().section('\n', 0, 0), traytips::idle());

        form.playback().play(s.folders.app() + "/Marşlar/2.mp3", QString(), 70, "Siren", false);
        QVERIFY(tray.animating());
        QCOMPARE(tray.icon().toolTip(), QStringLiteral("Velmar Dorl   (Siren çalıyor.)"));
        // Two different pictures come to the screen while the frames alternate.
        QList<QImage> seen;
        const auto pictures = [&] {
            const QImage now = grabTray(tray.icon().geometry());
            if (painted(now) && !seen.contains(now))
                seen << now;
            return seen.size();
        };
        QTRY_VERIFY_WITH_TIMEOUT(pictures() >= 2, 5000);
        s.fakes.player.finish();
        QVERIFY(!tray.animating());
        QCOMPARE(tray.icon().toolTip().section('\n', 0, 0), traytips::idle());

        // A single left click does nothing; a double click shows the window.
        clickAt(area.center(), QStringLiteral("1"));
        QTest::qWait(400);
        QVERIFY(!form.isVisible());
        clickAt(area.center(), QStringLiteral("1"), 2);
        QTRY_VERIFY(form.isVisible());
        form.hide();

        // The right button opens the menu; "Çıkış" ends the program.
        QSignalSpy ended(&form, &MainWindow::ended);
        clickAt(area.center(), QStringLiteral("3"));
        QTRY_VERIFY(tray.menu()->isVisible());
        QAction* exit = tray.menu()->findChild<QAction*>(QStringLiteral("exit"));
        const QRect item = tray.menu()->actionGeometry(exit);
        clickAt(tray.menu()->mapToGlobal(item.center()), QStringLiteral("1"));
        QTRY_COMPARE(ended.size(), 1);
        QVERIFY(form.quitting());
        QVERIFY(!tray.icon().isVisible());
        QCOMPARE(s.fakes.mixer.wave, 10L * 6553); // the master level, not muted
    }

    void aTrayComingOrGoingIsToldWithoutAsking() {
        if (qEnvironmentVariableIsEmpty("VELMAR_TRAYER_CTL"))
            QSKIP("needs the test services' tray host");
        SystemTrayIcon tray;
        QList<bool> told;
        tray.setCommands({{}, {}, {}, [&](bool available) { told << available; }});
        QVERIFY(tray.available());
        trayHost(QStringLiteral("stop")); // the panel ends
        QTRY_COMPARE(told, QList<bool>{false});
        QVERIFY(!tray.available());
        trayHost(QStringLiteral("start")); // and comes back
        QTRY_COMPARE(told, (QList<bool>{false, true}));
        QVERIFY(tray.available());
    }

    void aStatusNotifierWatcherComingOrGoingIsTold() {
        TrayWatch watch;
        QSignalSpy told(&watch, &TrayWatch::changed);
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
        QVERIFY(bus.registerService(watcher)); // GNOME's extension switched on
        QTRY_COMPARE(told.size(), 1);
        bus.unregisterService(watcher);
        QTRY_COMPARE(told.size(), 2);
    }

    void aTrayThatComesLateTakesTheHiddenWindow() {
        if (qEnvironmentVariableIsEmpty("VELMAR_TRAYER_CTL"))
            QSKIP("needs the test services' tray host");
        SystemTrayIcon tray;
        trayHost(QStringLiteral("stop"));
        QTRY_VERIFY(!tray.available());

        Started s(QStringLiteral("-systray"));
        Platform platform = s.fakes.platform();
        platform.tray = &tray;
        MainWindow form(platform, *s.store);
        StartupContext c = s.context(QStringLiteral("-systray"), 4445);
        c.runtimeFolder = s.folders.root();
        QVERIFY(form.startUp(c));
        QVERIFY(form.isVisible()); // minimized: the only way to it
        QVERIFY(form.windowState() & Qt::WindowMinimized);

        trayHost(QStringLiteral("start")); // the panel came late
        QTRY_VERIFY(tray.available());
        QVERIFY(!form.isVisible());
        QTRY_VERIFY(tray.icon().geometry().isValid() && !tray.icon().geometry().isEmpty());
        form.quitProgram();
    }

    void aSingleClickOpensTheWindowOnAStatusNotifierTray() {
        SystemTrayIcon tray;
        int shown = 0;
        tray.setCommands({[&] { ++shown; }, {}, {}, {}});
        emit tray.icon().activated(QSystemTrayIcon::Trigger); // XEmbed: a single click
        QCOMPARE(shown, 0);
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
        QVERIFY(bus.registerService(watcher));
        emit tray.icon().activated(QSystemTrayIcon::Trigger); // every click, there
        bus.unregisterService(watcher);
        QCOMPARE(shown, 1);
    }

    void aboutWindowTextsAndPlacement() {
        Started s(QStringLiteral("-systray"));
        s.fakes.tray.commands.showAbout();
        AboutDialog* about = s.form->aboutWindow();
        QVERIFY(about);
        QTRY_VERIFY(about->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("Velmar Dorl              version: 1.4"));
        const QString features = about->findChild<QPlainTextEdit*>("Text1")->toPlainText();
        QVERIFY(features.startsWith(QStringLiteral("ÖZELLİKLERİ:\n1. Sorunsuz çalışma")));
        QVERIFY(features.contains(QStringLiteral("kapatarak \n     istenmeyen sesleri önleme\n")));
        QVERIFY(features.contains(QStringLiteral("\n3. Tüm sistem seslerini otomatik kapatma\n")));
        QVERIFY(features.endsWith(
            QStringLiteral("9. Hafta sonu kursları için ayrı zaman çizelgesi\n")));
        const QRect screen = about->screen()->geometry();
        QTRY_VERIFY(qAbs(about->frameGeometry().center().x() - screen.center().x()) <= 2);

        QLabel* link = about->findChild<QLabel*>("Label5_1");
        emit link->linkActivated(link->text());
        QCOMPARE(s.fakes.shell.opened.size(), 1);
        QLabel* mainLink = s.form->findChild<QLabel*>("Label5_1");
        emit mainLink->linkActivated(mainLink->text());
        QCOMPARE(s.fakes.shell.opened.size(), 2);
        QCOMPARE(s.fakes.shell.opened.at(0), s.fakes.shell.opened.at(1));
    }
};

int main(int argc, char* argv[]) {
    // Without an X display (outside the test services) the checks are skipped.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TrayTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_tray.moc"

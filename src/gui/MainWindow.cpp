#include "gui/MainWindow.h"

#include "core/SettingsTable.h"
#include "core/TrayTips.h"
#include "core/ValueConversion.h"
#include "gui/AboutDialog.h"
#include "gui/AboutInfo.h"
#include "gui/BackupMenu.h"
#include "gui/DialogRunner.h"
#include "gui/HemenCalPage.h"
#include "gui/HolidaysDialog.h"
#include "gui/MelodilerPage.h"
#include "gui/MuzikPage.h"
#include "gui/NoticeDialog.h"
#include "gui/ProgramIcon.h"
#include "gui/TimetablePage.h"
#include "gui/TrayIcon.h"
#include "platform/Clock.h"
#include "platform/EventLog.h"
#include "platform/SettingsStore.h"
#include "platform/SystemIntegration.h"
#include "sound/Mixer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

MainWindow::MainWindow(const Platform& platform, SettingsStore& store, QWidget* parent)
    : QWidget(parent), platform_(platform), store_(store), masterLevel_(platform.mixer),
      playback_(*platform.player, masterLevel_, values_, *platform.clock),
      volumeBoxes_(values_, store_, playback_, filling_), holidays_(store_),
      plan_(store_, holidays_), schoolDay_(values_, playback_, *platform.clock, plan_) {
    schoolDay_.setInhibitor(platform.inhibitor);
    schoolDay_.setWakeAlarm(platform.wakeAlarm);
    schoolDay_.setClockSync(platform.clockSync);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmar Dorl"));
    setWindowIcon(programIcon());
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);
    buildControls();

    clockTimer_.setObjectName(QStringLiteral("tmrTime"));
    clockTimer_.setSingleShot(true);
    connect(&clockTimer_, &QTimer::timeout, this, &MainWindow::showTime);

    connect(&signals_, &SignalServer::wordReceived, signalField_, &QLineEdit::setText);
    connect(&playback_, &Playback::infoChanged, infoLabel_, &QLabel::setText);
    connect(&playback_, &Playback::stopEnabledChanged, stopButton_, &QWidget::setEnabled);
    connect(&playback_, &Playback::playingChanged, this, &MainWindow::showPlayingInTray);
    connect(&schoolDay_, &SchoolDay::statusChanged, this, &MainWindow::statusChanged);
    connect(&schoolDay_, &SchoolDay::newDay, this, [this] {
        if (schoolDay_.day().weekend)
            showNotice(schoolDay_.day().noticeMode, false);
        statusChanged();
    });
    connect(hemenCal_, &HemenCalPage::countdownChanged, this,
            [this] { schoolDay_.setCountingDown(hemenCal_->countingDown()); });
    connect(stopButton_, &QPushButton::clicked, &playback_, &Playback::stop);
    connect(masterSlider_, &QSlider::valueChanged, this, &MainWindow::masterSliderMoved);
}

MainWindow::~MainWindow() = default;

bool MainWindow::startUp(const StartupContext& context) {
    appPath_ = context.appPath;
    playback_.setAppPath(appPath_);
    schoolDay_.setAppPath(appPath_);

    lock_ = std::make_unique<InstanceLock>(context.runtimeFolder);
    switch (lock_->tryAcquire()) {
    case InstanceLock::Acquired:
        break;
    case InstanceLock::HeldByLiveInstance:
        endAsSecondInstance(context);
        return false;
    case InstanceLock::Failed:
        platform_.dialogs->information(
            this, QStringLiteral("Velmar Dorl başlatılamadı: \"%1\" klasörüne kilit dosyası "
                                 "yazılamıyor ya da klasör yalnızca bu kullanıcının değil.")
                      .arg(context.runtimeFolder));
        quitting_ = true;
        ended_ = true;
        return false;
    }

    signals_.listen(context.runtimeFolder, context.instanceNumber);
    store_.save(settings::hwnd(), QString::number(context.instanceNumber));

    if (platform_.tray) {
        platform_.tray->setCommands(
            {[this] { showOnFirstTab(); }, [this] { showAbout(); }, [this] { quitProgram(); },
             [this](bool available) { trayAvailabilityChanged(available); }});
        platform_.tray->addIcon();
    }

    placeWindow();

    const bool systray = context.arguments == kSystrayArgument;
    const DayChoice& day = schoolDay_.day();
    if (day.weekend) {
        if (systray) {
            showNotice(day.noticeMode, false);
        } else {
            show();
            showNotice(day.noticeMode, true);
            // Told to end while the notice was up: nothing more is set up.
            if (ended_)
                return true;
        }
    }

    loadStoredValues(store_, values_);
    refreshCurrentPage();

    if (systray) {
        // Without a tray a hidden window could be neither reached nor ended.
        if (trayShown())
            hide();
        else
            showMinimized();
        if (platform_.logonStart)
            platform_.logonStart->renewOldEntry(context.programPath);
    } else {
        if (platform_.logonStart)
            platform_.logonStart->ensureRegistered(context.programPath);
        show();
    }

    if (platform_.eventSounds)
        platform_.eventSounds->silence();

    // The sound server and the mixer are asked for only now: a second start
    // ends above without waiting on them.
    if (platform_.outputs)
        playback_.setOutputs(platform_.outputs);
    if (platform_.mixer && !platform_.mixer->tryOpen() && platform_.mixer->opening()) {
        eventlog::warning(QStringLiteral(
            "Ses karıştırıcısı yanıt vermiyor: yanıt verdiğinde ana ses düzeyi ayarlanacak"));
        platform_.mixer->whenOpened([self = QPointer<MainWindow>(this)] {
            if (self)
                self->mixerOpened();
        });
    } else if (!platform_.mixer || !platform_.mixer->opened())
        platform_.dialogs->information(this, QStringLiteral("No mixer found!"));
    masterLevel_.setUp();
    levelsSetUp_ = true;

    showStoredMasterLevel();

    eventlog::info(QStringLiteral("Velmar Dorl başladı%1")
                       .arg(systray ? QStringLiteral(" (gizli)") : QString()));
    QCoreApplication::processEvents();
    schoolDay_.begin();
    statusChanged();
    return true;
}

// The mixer did not answer at start-up and has opened now: the computer is
// muted between sounds, and at the master level while one plays.
void MainWindow::mixerOpened() {
    if (ended_)
        return;
    eventlog::info(QStringLiteral("Ses karıştırıcısı yanıt verdi"));
    masterLevel_.outputChanged(); // its bounds are taken now
    if (playback_.playing())
        masterLevel_.apply(values_.MasterVolume);
    else
        masterLevel_.mute();
}

void MainWindow::reloadSettings() {
    loadStoredValues(store_, values_);
    holidays_.load();
    plan_.load();
    showStoredMasterLevel();
    if (playback_.playing())
        masterLevel_.apply(values_.MasterVolume);
    hemenCal_->refresh();
    // Pages not built yet read the values when they are.
    if (saatler_)
        saatler_->refresh();
    if (melodiler_)
        melodiler_->refresh();
    if (muzik_)
        muzik_->refresh();
    if (haftaSonu_)
        haftaSonu_->refresh();
    schoolDay_.settingsChanged();
}

void MainWindow::quitProgram() {
    if (ended_)
        return;
    restoreMasterLevel();
    schoolDay_.end();
    eventlog::info(QStringLiteral("Velmar Dorl kapandı"));
    quitting_ = true;
    if (notice_)
        notice_->close();
    if (about_)
        about_->close();
    if (holidaysDialog_)
        holidaysDialog_->close();
    if (platform_.tray)
        platform_.tray->removeIcon();
    close();
    ended_ = true;
    emit ended();
}

void MainWindow::endAsSecondInstance(const StartupContext& context) {
    const qint64 handle = signalling::parseHandle(store_.get(settings::hwnd()));
    if (signalling::sendWord(context.runtimeFolder, handle, signalling::kPrevInstance) == 0)
        showNotice(QStringLiteral("Previnstance"), true);
    quitting_ = true;
    ended_ = true;
}

void MainWindow::takeSignalWord() {
    if (filling_)
        return;
    const QString word = signalField_->text();
    if (word == signalling::kPrevInstance) {
        filling_ = true;
        signalField_->setText(signalling::kIdle);
        filling_ = false;
        showOnFirstTab();
        if (platform_.tray) {
            platform_.tray->removeIcon();
            platform_.tray->addIcon();
            if (playback_.playing())
                platform_.tray->setTip(traytips::reshown(playback_.info()));
        }
    } else if (word == signalling::kUninstall) {
        filling_ = true;
        signalField_->setText(signalling::kIdle);
        filling_ = false;
        quitProgram();
    } else if (word == signalling::kReload) { // a backup taken in by "velmar-dorl --import"
        signalField_->setText(signalling::kIdle);
        store_.reread();
        reloadSettings();
    }
}

void MainWindow::restoreMasterLevel() {
    // Before start-up has set up the levels the computer was never muted,
    // and the stored level is not known yet: the mixer is left as it is.
    if (levelsSetUp_ && !ended_)
        masterLevel_.apply(values_.MasterVolume);
}

void MainWindow::showStoredMasterLevel() {
    if (const auto position = conversion::toInt16(values_.MasterVolume)) {
        filling_ = true;
        masterSlider_->setValue(*position);
        filling_ = false;
    }
}

void MainWindow::masterSliderMoved() {
    if (filling_)
        return;
    values_.MasterVolume = QString::number(masterSlider_->value());
    store_.save(settings::masterVolume(), values_.MasterVolume);
    // While idle the computer stays muted; the level comes with the next sound.
    if (playback_.playing())
        masterLevel_.apply(values_.MasterVolume);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showTime();
}

void MainWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // The clock label stops while the window is hidden.
    clockTimer_.stop();
}

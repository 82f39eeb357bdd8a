#include "gui/Form1.h"

#include "core/SettingsTable.h"
#include "gui/BackupMenu.h"

#include "core/AwakeHours.h"
#include "core/TrayTips.h"
#include "core/ValueConversion.h"
#include "gui/AboutInfo.h"
#include "gui/DialogRunner.h"
#include "gui/Form3.h"
#include "gui/HemenCalPage.h"
#include "gui/HolidaysDialog.h"
#include "gui/MelodilerPage.h"
#include "gui/MuzikPage.h"
#include "gui/PageParts.h"
#include "gui/ProgramIcon.h"
#include "gui/TimetablePage.h"
#include "gui/TrayIcon.h"
#include "gui/Twips.h"
#include "gui/frmHakkinda.h"
#include "platform/Clock.h"
#include "platform/ClockSync.h"
#include "platform/EventLog.h"
#include "platform/IdleInhibitor.h"
#include "platform/SettingsStore.h"
#include "platform/SystemIntegration.h"
#include "sound/Mixer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace {
constexpr int kWidthTwips = 5205;
constexpr int kHeightTwips = 7300;

struct PageCaption {
    const char* caption;
    const char* key;
};
constexpr PageCaption kPages[] = {{"Hemen Çal", "HemenÇal"},
                                  {"Saatler", "Saatler"},
                                  {"Melodiler", "Melodiler"},
                                  {"Müzik Yayını", "MüzikYayını"},
                                  {"Hafta Sonu", "HaftaSonu"}};
} // namespace

Form1::Form1(const Platform& platform, SettingsStore& store, QWidget* parent)
    : QWidget(parent), platform_(platform), store_(store), masterLevel_(platform.mixer),
      playback_(*platform.player, masterLevel_, values_, *platform.clock),
      volumeBoxes_(values_, store_, playback_, filling_), holidays_(store_),
      scheduler_(values_, playback_, *platform.clock) {
    scheduler_.setHolidays(&holidays_);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmar Dorl"));
    setWindowIcon(programIcon());
    // The window is laid out in twips for a small 8-point font.
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);
    buildControls();

    tmrTime_.setObjectName(QStringLiteral("tmrTime"));
    tmrTime_.setSingleShot(true);
    connect(&tmrTime_, &QTimer::timeout, this, &Form1::tmrTime_Timer);
    tmrMain_.setObjectName(QStringLiteral("tmrMain"));
    tmrHaftaSonu_.setObjectName(QStringLiteral("tmrHaftaSonu"));

    connect(&signals_, &SignalServer::wordReceived, txtPrevInstance_, &QLineEdit::setText);
    for (MinuteTimer* timer : {&tmrMain_, &tmrHaftaSonu_}) {
        connect(timer, &MinuteTimer::timeout, this, &Form1::schedulerPass);
        connect(timer, &MinuteTimer::clockChanged, this, [this] {
            eventlog::info(
                QStringLiteral("Saat değişti: %1")
                    .arg(platform_.clock->now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
        });
    }

    connect(&playback_, &Playback::infoChanged, lblInfo_, &QLabel::setText);
    connect(&playback_, &Playback::stopEnabledChanged, cmdDurdur_, &QWidget::setEnabled);
    connect(&playback_, &Playback::trayAni, this, &Form1::TrayAni);
    if (platform_.clockSync)
        connect(platform_.clockSync, &ClockSync::changed, this, &Form1::clockSyncChanged);
    connect(&holidays_, &Holidays::changed, this, &Form1::statusChanged);
    connect(&playback_, &Playback::trayAni, this, &Form1::stayAwakeAsNeeded);
    connect(cmdDurdur_, &QPushButton::clicked, &playback_, &Playback::cmdDurdur_Click);
    connect(sldVol_, &QSlider::valueChanged, this, &Form1::sldVol_Scroll);
}

Form1::~Form1() = default;

void Form1::buildControls() {
    const double dpi = logicalDpiY() > 0 ? logicalDpiY() : 96.0;
    const auto px = [dpi](QRect twips) { return twips::toPixels(twips, dpi); };
    setFixedSize(twips::toPixels(QSize(kWidthTwips, kHeightTwips), dpi));

    // Toolbar1: the About window, the holidays, the backup.
    Toolbar1_ = new QToolBar(this);
    Toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1_->setIconSize(QSize(16, 16));
    Toolbar1_->setGeometry(px(QRect(60, 0, 4980, 390)));
    QAction* about = Toolbar1_->addAction(programIcon(), QStringLiteral("Hakkında"));
    about->setObjectName(QStringLiteral("Toolbar1_button"));
    connect(about, &QAction::triggered, this, &Form1::showAbout);
    QAction* holidays = Toolbar1_->addAction(QStringLiteral("Tatil Günleri"));
    holidays->setObjectName(QStringLiteral("Toolbar1_tatil"));
    holidays->setToolTip(QStringLiteral("Zil çalmayacak günler"));
    connect(holidays, &QAction::triggered, this, &Form1::showHolidays);
    backup_ = new BackupMenu(this, store_, *platform_.dialogs, [this] { reloadSettings(); });
    Toolbar1_->addWidget(backup_->button());
    // Without a tray (GNOME as it comes) the window is the only way to end the program.
    Toolbar1_cikis_ = Toolbar1_->addAction(QStringLiteral("Çıkış"));
    Toolbar1_cikis_->setObjectName(QStringLiteral("Toolbar1_cikis"));
    Toolbar1_cikis_->setVisible(!trayShown());
    connect(Toolbar1_cikis_, &QAction::triggered, this, &Form1::quitProgram);

    tabMain_ = new QTabWidget(this);
    tabMain_->setObjectName(QStringLiteral("tabMain"));
    tabMain_->setGeometry(px(QRect(120, 420, 4740, 5460)));
    // Five captions in the window's narrow width: no scroll arrows. The style
    // sheet goes on the bar alone; on the tab widget every control of the
    // pages would carry it.
    tabMain_->tabBar()->setUsesScrollButtons(false);
    tabMain_->tabBar()->setExpanding(false);
    tabMain_->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 4px; }"));
    buildPages();
    connect(tabMain_, &QTabWidget::currentChanged, this, [this] { tabMain_Click(); });

    // The master volume: a vertical slider, position 0 (the loudest) at the top.
    sldVol_ = new QSlider(Qt::Vertical, this);
    sldVol_->setObjectName(QStringLiteral("sldVol"));
    sldVol_->setRange(0, 10);
    sldVol_->setInvertedAppearance(true);
    sldVol_->setInvertedControls(true); // Up and wheel-up move it up: louder
    sldVol_->setTickPosition(QSlider::TicksRight);
    sldVol_->setPageStep(1);
    sldVol_->setGeometry(px(QRect(4860, 900, 330, 4200)));
    sldVol_->setAccessibleName(QStringLiteral("Ana ses düzeyi"));
    // Position 0 is the loudest: a screen reader is told the level, 0 to 10.
    const auto describeLevel = [this] {
        sldVol_->setAccessibleDescription(
            QStringLiteral("Ses düzeyi 10 üzerinden %1").arg(10 - sldVol_->value()));
    };
    describeLevel();
    connect(sldVol_, &QSlider::valueChanged, this, describeLevel);
    auto* label6 = new QLabel(QStringLiteral("Ana Ses"), this);
    label6->setObjectName(QStringLiteral("Label6"));
    label6->setAlignment(Qt::AlignCenter);
    label6->setWordWrap(true);
    label6->setGeometry(px(QRect(4800, 5160, 405, 480)));

    cmdDurdur_ = new QPushButton(QStringLiteral("Durdur"), this);
    cmdDurdur_->setObjectName(QStringLiteral("cmdDurdur"));
    cmdDurdur_->setEnabled(false);
    cmdDurdur_->setGeometry(px(QRect(3780, 5985, 1320, 420)));

    lblInfo_ = new QLabel(this);
    lblInfo_->setObjectName(QStringLiteral("lblInfo"));
    lblInfo_->setGeometry(px(QRect(225, 6000, 3480, 390)));
    QFont bold = lblInfo_->font();
    bold.setBold(true);
    lblInfo_->setFont(bold);
    lblTime_ = new QLabel(this);
    lblTime_->setObjectName(QStringLiteral("lblTime"));
    lblTime_->setGeometry(px(QRect(225, 6480, 4875, 330)));
    lblTime_->setAlignment(Qt::AlignCenter);

    txtPrevInstance_ = new QLineEdit(signalling::kIdle, this);
    txtPrevInstance_->setObjectName(QStringLiteral("txtPrevInstance"));
    txtPrevInstance_->hide();
    connect(txtPrevInstance_, &QLineEdit::textChanged, this, &Form1::txtPrevInstance_Change);
}

void Form1::buildPages() {
    const PageContext context{values_,
                              store_,
                              playback_,
                              volumeBoxes_,
                              filling_,
                              appPath_,
                              [this](const QString& mode) { showAddFileDialog(mode); },
                              [this] { tabMain_Click(); }};
    hemenCal_ = new HemenCalPage(context, tabMain_);
    connect(hemenCal_, &HemenCalPage::countdownChanged, this, &Form1::stayAwakeAsNeeded);
    saatler_ = new TimetablePage(timetable::kWeekdayTable, context, tabMain_);
    melodiler_ = new MelodilerPage(context, tabMain_);
    muzik_ = new MuzikPage(context, tabMain_);
    haftaSonu_ = new TimetablePage(timetable::kWeekendTable, context, tabMain_);
    QWidget* pages[] = {hemenCal_, saatler_, melodiler_, muzik_, haftaSonu_};
    for (int i = 0; i < 5; ++i) {
        pages[i]->setObjectName(QStringLiteral("PB_%1").arg(i + 1));
        pages[i]->setProperty("key", QString::fromUtf8(kPages[i].key));
        tabMain_->addTab(pages[i], QString::fromUtf8(kPages[i].caption));
        pageparts::wheelOnlyWhenFocused(pages[i]);
    }

    QLineEdit* text1 = hemenCal_->Text1();
    text1->setText(aboutinfo::kContactAddress);
    connect(text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    auto* link = static_cast<QLabel*>(hemenCal_->link());
    link->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(aboutinfo::kUpdateAddress));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(link, &QLabel::linkActivated, this, &Form1::Label5_Click);
}

bool Form1::Form_Load(const StartupContext& context) {
    appPath_ = context.appPath;
    playback_.setAppPath(appPath_);
    scheduler_.setAppPath(appPath_);

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
    dayDate_ = platform_.clock->now().date();
    day_ = chooseDay(dayDate_);
    if (day_.weekend) {
        if (systray) {
            showNotice(day_.noticeMode, false);
        } else {
            show();
            showNotice(day_.noticeMode, true);
            // Told to end while the notice was up: nothing more is set up.
            if (ended_)
                return true;
        }
    }

    GetRegistry(store_, values_);
    tabMain_Click();

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

    if (!platform_.mixer || !platform_.mixer->opened())
        platform_.dialogs->information(this, QStringLiteral("No mixer found!"));
    masterLevel_.setUp();
    levelsSetUp_ = true;

    showStoredMasterLevel();

    if (!statusNotes().isEmpty())
        statusChanged();

    eventlog::info(
        QStringLiteral("Velmar Dorl başladı%1, %2 saatleri")
            .arg(systray ? QStringLiteral(" (gizli)") : QString(),
                 day_.weekend ? QStringLiteral("hafta sonu") : QStringLiteral("hafta içi")));
    QCoreApplication::processEvents();
    // The first pass right after start-up: a bell of this minute rings at once.
    activeSchedulerTimer().start(1);
    return true;
}

void Form1::endAsSecondInstance(const StartupContext& context) {
    const qint64 handle = signalling::parseHandle(store_.get(settings::hwnd()));
    if (signalling::sendWord(context.runtimeFolder, handle, signalling::kPrevInstance) == 0)
        showNotice(QStringLiteral("Previnstance"), true);
    quitting_ = true;
    ended_ = true;
}

void Form1::placeWindow() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 3);
}

void Form1::showNotice(const QString& mode, bool modal) {
    if (notice_)
        notice_->close();
    if (modal) {
        Form3 dialog(mode, appPath_, this, platform_.shell);
        dialog.setModal(true);
        platform_.dialogs->runModal(dialog);
        return;
    }
    auto* dialog = new Form3(mode, appPath_, this, platform_.shell);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    notice_ = dialog;
    dialog->show();
}

void Form1::showAbout() {
    if (!about_) {
        about_ = new frmHakkinda(this, platform_.shell);
        about_->setAttribute(Qt::WA_DeleteOnClose);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void Form1::showHolidays() {
    if (!holidaysDialog_) {
        holidaysDialog_ = new HolidaysDialog(holidays_, *platform_.clock, this);
        holidaysDialog_->setAttribute(Qt::WA_DeleteOnClose);
    }
    holidaysDialog_->show();
    holidaysDialog_->raise();
    holidaysDialog_->activateWindow();
}

HolidaysDialog* Form1::holidaysWindow() const {
    return holidaysDialog_;
}

void Form1::reloadSettings() {
    GetRegistry(store_, values_);
    holidays_.load();
    showStoredMasterLevel();
    if (playback_.playing())
        masterLevel_.apply(values_.MasterVolume);
    hemenCal_->refresh();
    saatler_->refresh();
    melodiler_->refresh();
    muzik_->refresh();
    haftaSonu_->refresh();
    stayAwakeAsNeeded();
}

void Form1::showAddFileDialog(const QString& mode) {
    Form3 dialog(mode, appPath_, this, platform_.shell);
    dialog.setModal(true);
    platform_.dialogs->runModal(dialog);
    update();
}

void Form1::tabMain_Click() {
    switch (tabMain_->currentIndex()) {
    case 0:
        hemenCal_->refresh();
        break;
    case 1:
        saatler_->refresh();
        break;
    case 2:
        melodiler_->refresh();
        break;
    case 3:
        muzik_->refresh();
        break;
    case 4:
        haftaSonu_->refresh();
        break;
    default:
        break;
    }
    update();
}

void Form1::schedulerPass() {
    followTheDay();
    // Re-armed from this pass's own clock reading to the next minute boundary.
    activeSchedulerTimer().start(scheduler_.pass(activeTable()));
    stayAwakeAsNeeded();
}

int Form1::activeTable() const {
    return day_.weekend ? timetable::kWeekendTable : timetable::kWeekdayTable;
}

void Form1::stayAwakeAsNeeded() {
    if (!platform_.inhibitor)
        return;
    const bool needed =
        !ended_ && awake::needed(values_, activeTable(), platform_.clock->now().time(),
                                 playback_.playing(), hemenCal_->countingDown());
    if (needed == awake_)
        return;
    awake_ = needed;
    platform_.inhibitor->hold(needed);
    eventlog::info(needed ? QStringLiteral("Bilgisayarın uykuya geçmesi engellendi")
                          : QStringLiteral("Bilgisayar yeniden uykuya geçebilir"));
}

// A program that lives for days turns to the weekend table on Saturday and
// back on Monday; each table keeps its own memory of the minutes it rang.
void Form1::followTheDay() {
    const QDate today = platform_.clock->now().date();
    if (today == dayDate_)
        return;
    dayDate_ = today;
    const DayChoice next = chooseDay(today);
    if (next.weekend != day_.weekend)
        activeSchedulerTimer().stop();
    day_ = next;
    eventlog::info(QStringLiteral("Yeni gün: %1, %2 saatleri")
                       .arg(day_.dayName.trimmed(), day_.weekend ? QStringLiteral("hafta sonu")
                                                                 : QStringLiteral("hafta içi")));
    if (day_.weekend)
        showNotice(day_.noticeMode, false);
    statusChanged();
}

void Form1::txtPrevInstance_Change() {
    if (filling_)
        return;
    const QString word = txtPrevInstance_->text();
    if (word == signalling::kPrevInstance) {
        filling_ = true;
        txtPrevInstance_->setText(signalling::kIdle);
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
        txtPrevInstance_->setText(signalling::kIdle);
        filling_ = false;
        quitProgram();
    }
}

void Form1::showOnFirstTab() {
    tabMain_->setCurrentIndex(0);
    show();
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    raise();
    activateWindow();
}

void Form1::quitProgram() {
    if (ended_)
        return;
    restoreMasterLevel();
    if (awake_ && platform_.inhibitor)
        platform_.inhibitor->hold(false);
    awake_ = false;
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

void Form1::restoreMasterLevel() {
    // Before start-up has set up the levels the computer was never muted,
    // and the stored level is not known yet: the mixer is left as it is.
    if (levelsSetUp_ && !ended_)
        masterLevel_.apply(values_.MasterVolume);
}

// The slider shows the stored level without storing or applying it again.
void Form1::showStoredMasterLevel() {
    if (const auto position = conversion::toInt16(values_.MasterVolume)) {
        filling_ = true;
        sldVol_->setValue(*position);
        filling_ = false;
    }
}

void Form1::sldVol_Scroll() {
    if (filling_)
        return;
    values_.MasterVolume = QString::number(sldVol_->value());
    store_.save(settings::masterVolume(), values_.MasterVolume);
    // While idle the computer stays muted; the level comes with the next sound.
    if (playback_.playing())
        masterLevel_.apply(values_.MasterVolume);
}

void Form1::TrayAni(bool playing) {
    if (!platform_.tray)
        return;
    platform_.tray->setAnimating(playing);
    const QString notes = statusNotes();
    platform_.tray->setTip(playing           ? traytips::playing(playback_.info())
                           : notes.isEmpty() ? traytips::idle()
                                             : traytips::idle() + QStringLiteral("  ") + notes);
}

QString Form1::statusNotes() const {
    QStringList notes;
    if (holidays_.contains(platform_.clock->now().date()))
        notes << QStringLiteral("Bugün tatil");
    if (const QString warning = clockWarning(); !warning.isEmpty())
        notes << warning;
    return notes.join(QStringLiteral("  "));
}

void Form1::statusChanged() {
    if (ended_ || !levelsSetUp_)
        return;
    TrayAni(playback_.playing());
    if (isVisible())
        tmrTime_Timer();
}

QString Form1::clockWarning() const {
    const bool unsynchronized = platform_.clockSync && platform_.clockSync->synchronized() &&
                                !*platform_.clockSync->synchronized();
    return unsynchronized ? QStringLiteral("Saat eşitlenmemiş") : QString();
}

void Form1::clockSyncChanged() {
    if (!clockWarning().isEmpty())
        eventlog::warning(QStringLiteral("Saat eşitlenmemiş: zil saatleri kaymış olabilir"));
    else if (platform_.clockSync->synchronized())
        eventlog::info(QStringLiteral("Saat eşitlendi"));
    statusChanged();
}

void Form1::Text1_Change() {
    QLineEdit* text1 = hemenCal_->Text1();
    if (text1->text() != aboutinfo::kContactAddress)
        text1->setText(aboutinfo::kContactAddress);
}

void Form1::Label5_Click() {
    if (platform_.shell)
        platform_.shell->open(aboutinfo::kUpdateAddress);
}

void Form1::tmrTime_Timer() {
    const QDateTime now = platform_.clock->now();
    QString text = now.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + day_.dayName;
    if (const QString notes = statusNotes(); !notes.isEmpty())
        text += QStringLiteral("  ") + notes;
    if (lblTime_->text() != text)
        lblTime_->setText(text);
    // Re-armed just past the next second boundary instead of polling.
    tmrTime_.start(1000 - now.time().msec() + 1);
}

void Form1::closeEvent(QCloseEvent* event) {
    if (quitting_) {
        hide();
        event->accept();
        return;
    }
    event->ignore();
    if (trayShown())
        hide();
    else
        showMinimized(); // stays on the task bar
}

bool Form1::trayShown() const {
    return platform_.tray && platform_.tray->available();
}

void Form1::trayAvailabilityChanged(bool available) {
    Toolbar1_cikis_->setVisible(!available);
    eventlog::info(available ? QStringLiteral("Bildirim alanı geldi")
                             : QStringLiteral("Bildirim alanı yok: pencere görev çubuğunda"));
    if (!available && !isVisible() && !ended_)
        showMinimized();
    // A window minimized for want of a tray goes into the one that came.
    if (available && isVisible() && (windowState() & Qt::WindowMinimized) && !ended_)
        hide();
}

void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) &&
        trayShown()) {
        // A minimised window lives in the notification area only.
        QMetaObject::invokeMethod(
            this,
            [this] {
                hide();
                setWindowState(windowState() & ~Qt::WindowMinimized);
            },
            Qt::QueuedConnection);
    }
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    tmrTime_Timer();
}

void Form1::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // The clock label stops while the window is hidden.
    tmrTime_.stop();
}

frmHakkinda* Form1::aboutWindow() const {
    return about_;
}

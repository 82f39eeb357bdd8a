#include "shell/Form1.h"

#include "shell/Clock.h"
#include "shell/DialogRunner.h"
#include "shell/SettingsStore.h"
#include "shell/SystemIntegration.h"
#include "shell/Twips.h"
#include "shell/ValueConversion.h"
#include "sound/Mixer.h"
#include "tray/Form3.h"
#include "tray/TrayIcon.h"
#include "tray/TrayTips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>

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
      volumeBoxes_(values_, store_, playback_, filling_) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmar Dorl"));
    buildControls();

    tmrTime_.setObjectName(QStringLiteral("tmrTime"));
    tmrTime_.setSingleShot(true);
    connect(&tmrTime_, &QTimer::timeout, this, &Form1::tmrTime_Timer);
    // Both scheduler timers must fire at second 0, not up to a second early.
    for (QTimer* timer : {&tmrMain_, &tmrHaftaSonu_}) {
        timer->setTimerType(Qt::PreciseTimer);
        timer->setSingleShot(true);
    }
    tmrMain_.setObjectName(QStringLiteral("tmrMain"));
    tmrHaftaSonu_.setObjectName(QStringLiteral("tmrHaftaSonu"));

    connect(&signals_, &SignalServer::wordReceived, txtPrevInstance_, &QLineEdit::setText);

    connect(&playback_, &Playback::infoChanged, lblInfo_, &QLabel::setText);
    connect(&playback_, &Playback::stopEnabledChanged, cmdDurdur_, &QWidget::setEnabled);
    connect(&playback_, &Playback::trayAni, this, &Form1::TrayAni);
    connect(cmdDurdur_, &QPushButton::clicked, &playback_, &Playback::cmdDurdur_Click);
    connect(sldVol_, &QSlider::valueChanged, this, &Form1::sldVol_Scroll);
}

Form1::~Form1() = default;

void Form1::buildControls() {
    const double dpi = logicalDpiY() > 0 ? logicalDpiY() : 96.0;
    setFixedSize(twips::toPixels(QSize(kWidthTwips, kHeightTwips), dpi));

    tabMain_ = new QTabWidget(this);
    tabMain_->setObjectName(QStringLiteral("tabMain"));
    tabMain_->setGeometry(twips::toPixels(QRect(120, 585 - 360, 4680, 5130 + 480), dpi));
    int index = 1;
    for (const PageCaption& page : kPages) {
        auto* container = new QWidget(tabMain_);
        container->setObjectName(QStringLiteral("PB_%1").arg(index++));
        container->setProperty("key", QString::fromUtf8(page.key));
        tabMain_->addTab(container, QString::fromUtf8(page.caption));
    }
    connect(tabMain_, &QTabWidget::currentChanged, this, [this] { tabMain_Click(); });

    Text1_ = new QLineEdit(kText1, tabMain_->widget(0));
    Text1_->setObjectName(QStringLiteral("Text1"));
    Text1_->setGeometry(twips::toPixels(QRect(120, 4560, 4200, 285), dpi));
    connect(Text1_, &QLineEdit::textChanged, this, &Form1::Text1_Change);

    lblTime_ = new QLabel(this);
    lblTime_->setObjectName(QStringLiteral("lblTime"));
    lblTime_->setGeometry(twips::toPixels(QRect(120, 6120, 4800, 285), dpi));
    lblInfo_ = new QLabel(this);
    lblInfo_->setObjectName(QStringLiteral("lblInfo"));
    lblInfo_->setGeometry(twips::toPixels(QRect(120, 6480, 4800, 285), dpi));

    sldVol_ = new QSlider(Qt::Vertical, this);
    sldVol_->setObjectName(QStringLiteral("sldVol"));
    sldVol_->setRange(0, 10);
    sldVol_->setInvertedAppearance(true); // position 0, the loudest, at the top
    sldVol_->setTickPosition(QSlider::TicksRight);
    sldVol_->setPageStep(1);
    sldVol_->setGeometry(twips::toPixels(QRect(4680, 900, 420, 3600), dpi));
    auto* label6 = new QLabel(QStringLiteral("Ana Ses"), this);
    label6->setObjectName(QStringLiteral("Label6"));
    label6->setGeometry(twips::toPixels(QRect(4500, 4560, 700, 285), dpi));
    cmdDurdur_ = new QPushButton(QStringLiteral("Durdur"), this);
    cmdDurdur_->setObjectName(QStringLiteral("cmdDurdur"));
    cmdDurdur_->setEnabled(false);
    cmdDurdur_->setGeometry(twips::toPixels(QRect(3840, 6000, 1200, 400), dpi));

    // Volume boxes: the first page's three, the music page's one, the melody page's six.
    const int pageOf[VolumeBoxes::kCount] = {0, 0, 0, 3, 2, 2, 2, 2, 2, 2};
    for (int i = 0; i < VolumeBoxes::kCount; ++i) {
        auto* box = new QLineEdit(tabMain_->widget(pageOf[i]));
        box->setGeometry(twips::toPixels(QRect(600 + 600 * (i % 5), 3600, 450, 285), dpi));
        volumeBoxes_.attach(i, box);
    }

    txtPrevInstance_ = new QLineEdit(signalling::kIdle, this);
    txtPrevInstance_->setObjectName(QStringLiteral("txtPrevInstance"));
    txtPrevInstance_->hide();
    connect(txtPrevInstance_, &QLineEdit::textChanged, this, &Form1::txtPrevInstance_Change);
}

bool Form1::Form_Load(const StartupContext& context) {
    appPath_ = context.appPath;
    playback_.setAppPath(appPath_);

    lock_ = std::make_unique<InstanceLock>(context.runtimeFolder);
    if (!lock_->tryAcquire()) {
        endAsSecondInstance(context);
        return false;
    }

    signals_.listen(context.runtimeFolder, context.instanceNumber);
    store_.save(settings::hwnd(), QString::number(context.instanceNumber));

    if (platform_.tray)
        platform_.tray->addIcon();

    placeWindow();

    const bool systray = context.arguments == kSystrayArgument;
    day_ = chooseDay(platform_.clock->now().date());
    if (day_.weekend) {
        if (systray) {
            showNotice(day_.noticeMode, false);
        } else {
            show();
            showNotice(day_.noticeMode, true);
        }
    }

    GetRegistry(store_, values_);
    tabMain_Click();

    if (systray) {
        hide();
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

    if (const auto position = conversion::toInt16(values_.MasterVolume)) {
        filling_ = true;
        sldVol_->setValue(*position);
        filling_ = false;
    }

    QCoreApplication::processEvents();
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

void Form1::tabMain_Click() {
    // Each page refreshes its controls from values_ with filling_ set around
    // every single write; the pages bring their own refresh.
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
    masterLevel_.apply(values_.MasterVolume);
    quitting_ = true;
    if (notice_)
        notice_->close();
    if (platform_.tray)
        platform_.tray->removeIcon();
    close();
    ended_ = true;
    emit ended();
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
    platform_.tray->setTip(playing ? traytips::playing(playback_.info()) : traytips::idle());
}

void Form1::Text1_Change() {
    if (Text1_->text() != kText1)
        Text1_->setText(kText1);
}

void Form1::tmrTime_Timer() {
    const QDateTime now = platform_.clock->now();
    const QString text =
        now.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + day_.dayName;
    if (lblTime_->text() != text)
        lblTime_->setText(text);
    // Re-armed just past the next second boundary instead of polling.
    tmrTime_.start(1000 - now.time().msec() + 1);
}

void Form1::closeEvent(QCloseEvent* event) {
    hide();
    if (!quitting_)
        event->ignore();
    else
        event->accept();
}

void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
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

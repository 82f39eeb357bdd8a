#include "gui/MainWindow.h"

#include "core/Timetable.h"
#include "gui/AboutInfo.h"
#include "gui/BackupMenu.h"
#include "gui/HemenCalPage.h"
#include "gui/MelodilerPage.h"
#include "gui/MuzikPage.h"
#include "gui/PageParts.h"
#include "gui/ProgramIcon.h"
#include "gui/RecordsDialog.h"
#include "gui/TimetablePage.h"
#include "gui/Twips.h"

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
#include <QVBoxLayout>

// How the main window is laid out: in twips, for a small 8-point font.
namespace {
constexpr int kWidthTwips = 5205;
constexpr int kHeightTwips = 7560;

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

void MainWindow::buildControls() {
    const double dpi = logicalDpiY() > 0 ? logicalDpiY() : 96.0;
    const auto px = [dpi](QRect twips) { return twips::toPixels(twips, dpi); };
    setFixedSize(twips::toPixels(QSize(kWidthTwips, kHeightTwips), dpi));

    buildToolbar();

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabMain"));
    tabs_->setGeometry(px(QRect(120, 420, 4740, 5460)));
    // Five captions in the window's narrow width: no scroll arrows. The style
    // sheet goes on the bar alone; on the tab widget every control of the
    // pages would carry it.
    tabs_->tabBar()->setUsesScrollButtons(false);
    tabs_->tabBar()->setExpanding(false);
    tabs_->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 4px; }"));
    buildPages();
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { refreshCurrentPage(); });

    // The master volume: a vertical slider, position 0 (the loudest) at the top.
    masterSlider_ = new QSlider(Qt::Vertical, this);
    masterSlider_->setObjectName(QStringLiteral("sldVol"));
    masterSlider_->setRange(0, 10);
    masterSlider_->setInvertedAppearance(true);
    masterSlider_->setInvertedControls(true); // Up and wheel-up move it up: louder
    masterSlider_->setTickPosition(QSlider::TicksRight);
    masterSlider_->setPageStep(1);
    masterSlider_->setGeometry(px(QRect(4860, 900, 330, 4200)));
    masterSlider_->setAccessibleName(QStringLiteral("Ana ses düzeyi"));
    // Position 0 is the loudest: a screen reader is told the level, 0 to 10.
    const auto describeLevel = [this] {
        masterSlider_->setAccessibleDescription(
            QStringLiteral("Ses düzeyi 10 üzerinden %1").arg(10 - masterSlider_->value()));
    };
    describeLevel();
    connect(masterSlider_, &QSlider::valueChanged, this, describeLevel);
    auto* label6 = new QLabel(QStringLiteral("Ana Ses"), this);
    label6->setObjectName(QStringLiteral("Label6"));
    label6->setAlignment(Qt::AlignCenter);
    label6->setWordWrap(true);
    label6->setGeometry(px(QRect(4800, 5160, 405, 480)));

    stopButton_ = new QPushButton(QStringLiteral("Durdur"), this);
    stopButton_->setObjectName(QStringLiteral("cmdDurdur"));
    stopButton_->setEnabled(false);
    stopButton_->setGeometry(px(QRect(3780, 5985, 1320, 420)));

    infoLabel_ = new QLabel(this);
    infoLabel_->setObjectName(QStringLiteral("lblInfo"));
    infoLabel_->setGeometry(px(QRect(225, 6000, 3480, 390)));
    QFont bold = infoLabel_->font();
    bold.setBold(true);
    infoLabel_->setFont(bold);
    clockLabel_ = new QLabel(this);
    clockLabel_->setObjectName(QStringLiteral("lblTime"));
    clockLabel_->setGeometry(px(QRect(225, 6480, 4875, 330)));
    clockLabel_->setAlignment(Qt::AlignCenter);
    // Under the clock: the next bell, and when the PC wakes or that it stays awake.
    nextBellLabel_ = new QLabel(this);
    nextBellLabel_->setObjectName(QStringLiteral("lblSonraki"));
    nextBellLabel_->setGeometry(px(QRect(225, 6810, 4875, 300)));
    nextBellLabel_->setAlignment(Qt::AlignCenter);
    wakeLabel_ = new QLabel(this);
    wakeLabel_->setObjectName(QStringLiteral("lblUyanma"));
    wakeLabel_->setGeometry(px(QRect(225, 7110, 4875, 300)));
    wakeLabel_->setAlignment(Qt::AlignCenter);

    signalField_ = new QLineEdit(signalling::kIdle, this);
    signalField_->setObjectName(QStringLiteral("txtPrevInstance"));
    signalField_->hide();
    connect(signalField_, &QLineEdit::textChanged, this, &MainWindow::takeSignalWord);
}

// Toolbar1: the About window, the holidays and day plan, the backup, the records.
void MainWindow::buildToolbar() {
    const double dpi = logicalDpiY() > 0 ? logicalDpiY() : 96.0;
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setIconSize(QSize(16, 16));
    QAction* about = toolbar_->addAction(programIcon(), QStringLiteral("Hakkında"));
    about->setObjectName(QStringLiteral("Toolbar1_button"));
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
    QAction* holidays = toolbar_->addAction(QStringLiteral("Tatil Günleri"));
    holidays->setObjectName(QStringLiteral("Toolbar1_tatil"));
    holidays->setToolTip(QStringLiteral("Zil çalmayacak günler"));
    connect(holidays, &QAction::triggered, this, &MainWindow::showHolidays);
    backup_ = new BackupMenu(this, store_, *platform_.dialogs, [this] { reloadSettings(); });
    toolbar_->addWidget(backup_->button());
    QAction* records = toolbar_->addAction(QStringLiteral("Kayıtlar"));
    records->setObjectName(QStringLiteral("Toolbar1_kayitlar"));
    records->setToolTip(QStringLiteral("Çalan ve çalmayan ziller, son 7 gün"));
    connect(records, &QAction::triggered, this, [this] { RecordsDialog::showFor(this); });
    // Without a tray (GNOME as it comes) the window is the only way to end the program.
    exitAction_ = toolbar_->addAction(QStringLiteral("Çıkış"));
    exitAction_->setObjectName(QStringLiteral("Toolbar1_cikis"));
    exitAction_->setVisible(!trayShown());
    connect(exitAction_, &QAction::triggered, this, &MainWindow::quitProgram);

    toolbar_->setGeometry(twips::toPixels(QRect(60, 0, 4980, 390), dpi));
}

PageContext MainWindow::pageContext() {
    return {values_,
            store_,
            playback_,
            volumeBoxes_,
            filling_,
            appPath_,
            [this](const QString& mode) { showAddFileDialog(mode); },
            [this] { refreshCurrentPage(); }};
}

void MainWindow::buildPages() {
    // "Hemen Çal" runs the countdown, so it is there from the start.
    hemenCal_ = new HemenCalPage(pageContext(), tabs_);
    pageHolders_[0] = hemenCal_;
    for (int i = 1; i < 5; ++i) {
        pageHolders_[i] = new QWidget(tabs_);
        auto* layout = new QVBoxLayout(pageHolders_[i]);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    for (int i = 0; i < 5; ++i) {
        pageHolders_[i]->setObjectName(QStringLiteral("PB_%1").arg(i + 1));
        pageHolders_[i]->setProperty("key", QString::fromUtf8(kPages[i].key));
        tabs_->addTab(pageHolders_[i], QString::fromUtf8(kPages[i].caption));
    }
    pageparts::wheelOnlyWhenFocused(hemenCal_);

    QLineEdit* contactField = hemenCal_->contactField();
    contactField->setText(aboutinfo::kContactAddress);
    connect(contactField, &QLineEdit::textChanged, this, &MainWindow::keepContactAddress);
    auto* link = static_cast<QLabel*>(hemenCal_->link());
    link->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(aboutinfo::kUpdateAddress));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(link, &QLabel::linkActivated, this, &MainWindow::openUpdatePage);
}

bool MainWindow::ensurePage(int index) {
    QWidget* holder = pageHolders_[index];
    QWidget* page = nullptr;
    switch (index) {
    case 1:
        if (!saatler_)
            page = saatler_ = new TimetablePage(timetable::kWeekdayTable, pageContext(), holder);
        break;
    case 2:
        if (!melodiler_)
            page = melodiler_ = new MelodilerPage(pageContext(), holder);
        break;
    case 3:
        if (!muzik_)
            page = muzik_ = new MuzikPage(pageContext(), holder);
        break;
    case 4:
        if (!haftaSonu_)
            page = haftaSonu_ = new TimetablePage(timetable::kWeekendTable, pageContext(), holder);
        break;
    default:
        break;
    }
    if (!page)
        return false;
    if (auto* timetable = qobject_cast<TimetablePage*>(page))
        connect(timetable, &TimetablePage::timesChanged, &schoolDay_, &SchoolDay::timesEdited);
    holder->layout()->addWidget(page);
    page->show();
    pageparts::wheelOnlyWhenFocused(page);
    // Tab goes through the page before the master level, as if the page had
    // been built with the window.
    // (Qt orders only controls that take the focus.)
    QWidget* previous = masterSlider_->previousInFocusChain();
    while (previous->focusPolicy() == Qt::NoFocus && previous != this)
        previous = previous->previousInFocusChain();
    for (QWidget* control : page->findChildren<QWidget*>()) {
        if ((control->focusPolicy() & Qt::TabFocus) && !control->focusProxy()) {
            QWidget::setTabOrder(previous, control);
            previous = control;
        }
    }
    return true;
}

TimetablePage* MainWindow::saatlerPage() {
    if (ensurePage(1))
        saatler_->refresh(); // a page built just now shows what is stored
    return saatler_;
}

MelodilerPage* MainWindow::melodilerPage() {
    if (ensurePage(2))
        melodiler_->refresh();
    return melodiler_;
}

MuzikPage* MainWindow::muzikPage() {
    if (ensurePage(3))
        muzik_->refresh();
    return muzik_;
}

TimetablePage* MainWindow::haftaSonuPage() {
    if (ensurePage(4))
        haftaSonu_->refresh();
    return haftaSonu_;
}

void MainWindow::placeWindow() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 3);
}

void MainWindow::refreshCurrentPage() {
    const int index = tabs_->currentIndex();
    ensurePage(index); // filled just below
    switch (index) {
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

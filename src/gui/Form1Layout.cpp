#include "gui/Form1.h"

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

void Form1::buildControls() {
    const double dpi = logicalDpiY() > 0 ? logicalDpiY() : 96.0;
    const auto px = [dpi](QRect twips) { return twips::toPixels(twips, dpi); };
    setFixedSize(twips::toPixels(QSize(kWidthTwips, kHeightTwips), dpi));

    buildToolbar();

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
    // Under the clock: the next bell, and when the PC wakes or that it stays awake.
    lblSonraki_ = new QLabel(this);
    lblSonraki_->setObjectName(QStringLiteral("lblSonraki"));
    lblSonraki_->setGeometry(px(QRect(225, 6810, 4875, 300)));
    lblSonraki_->setAlignment(Qt::AlignCenter);
    lblUyanma_ = new QLabel(this);
    lblUyanma_->setObjectName(QStringLiteral("lblUyanma"));
    lblUyanma_->setGeometry(px(QRect(225, 7110, 4875, 300)));
    lblUyanma_->setAlignment(Qt::AlignCenter);

    txtPrevInstance_ = new QLineEdit(signalling::kIdle, this);
    txtPrevInstance_->setObjectName(QStringLiteral("txtPrevInstance"));
    txtPrevInstance_->hide();
    connect(txtPrevInstance_, &QLineEdit::textChanged, this, &Form1::txtPrevInstance_Change);
}

// Toolbar1: the About window, the holidays and day plan, the backup, the records.
void Form1::buildToolbar() {
    const double dpi = logicalDpiY() > 0 ? logicalDpiY() : 96.0;
    Toolbar1_ = new QToolBar(this);
    Toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1_->setIconSize(QSize(16, 16));
    QAction* about = Toolbar1_->addAction(programIcon(), QStringLiteral("Hakkında"));
    about->setObjectName(QStringLiteral("Toolbar1_button"));
    connect(about, &QAction::triggered, this, &Form1::showAbout);
    QAction* holidays = Toolbar1_->addAction(QStringLiteral("Tatil Günleri"));
    holidays->setObjectName(QStringLiteral("Toolbar1_tatil"));
    holidays->setToolTip(QStringLiteral("Zil çalmayacak günler"));
    connect(holidays, &QAction::triggered, this, &Form1::showHolidays);
    backup_ = new BackupMenu(this, store_, *platform_.dialogs, [this] { reloadSettings(); });
    Toolbar1_->addWidget(backup_->button());
    QAction* records = Toolbar1_->addAction(QStringLiteral("Kayıtlar"));
    records->setObjectName(QStringLiteral("Toolbar1_kayitlar"));
    records->setToolTip(QStringLiteral("Çalan ve çalmayan ziller, son 7 gün"));
    connect(records, &QAction::triggered, this, [this] { RecordsDialog::showFor(this); });
    // Without a tray (GNOME as it comes) the window is the only way to end the program.
    Toolbar1_cikis_ = Toolbar1_->addAction(QStringLiteral("Çıkış"));
    Toolbar1_cikis_->setObjectName(QStringLiteral("Toolbar1_cikis"));
    Toolbar1_cikis_->setVisible(!trayShown());
    connect(Toolbar1_cikis_, &QAction::triggered, this, &Form1::quitProgram);

    Toolbar1_->setGeometry(twips::toPixels(QRect(60, 0, 4980, 390), dpi));
}

PageContext Form1::pageContext() {
    return {values_,
            store_,
            playback_,
            volumeBoxes_,
            filling_,
            appPath_,
            [this](const QString& mode) { showAddFileDialog(mode); },
            [this] { tabMain_Click(); }};
}

void Form1::buildPages() {
    // "Hemen Çal" runs the countdown, so it is there from the start.
    hemenCal_ = new HemenCalPage(pageContext(), tabMain_);
    pageHolders_[0] = hemenCal_;
    for (int i = 1; i < 5; ++i) {
        pageHolders_[i] = new QWidget(tabMain_);
        auto* layout = new QVBoxLayout(pageHolders_[i]);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    for (int i = 0; i < 5; ++i) {
        pageHolders_[i]->setObjectName(QStringLiteral("PB_%1").arg(i + 1));
        pageHolders_[i]->setProperty("key", QString::fromUtf8(kPages[i].key));
        tabMain_->addTab(pageHolders_[i], QString::fromUtf8(kPages[i].caption));
    }
    pageparts::wheelOnlyWhenFocused(hemenCal_);

    QLineEdit* text1 = hemenCal_->Text1();
    text1->setText(aboutinfo::kContactAddress);
    connect(text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    auto* link = static_cast<QLabel*>(hemenCal_->link());
    link->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(aboutinfo::kUpdateAddress));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(link, &QLabel::linkActivated, this, &Form1::Label5_Click);
}

bool Form1::ensurePage(int index) {
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
    QWidget* previous = sldVol_->previousInFocusChain();
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

TimetablePage* Form1::saatlerPage() {
    if (ensurePage(1))
        saatler_->refresh(); // a page built just now shows what is stored
    return saatler_;
}

MelodilerPage* Form1::melodilerPage() {
    if (ensurePage(2))
        melodiler_->refresh();
    return melodiler_;
}

MuzikPage* Form1::muzikPage() {
    if (ensurePage(3))
        muzik_->refresh();
    return muzik_;
}

TimetablePage* Form1::haftaSonuPage() {
    if (ensurePage(4))
        haftaSonu_->refresh();
    return haftaSonu_;
}

void Form1::placeWindow() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 3);
}

void Form1::tabMain_Click() {
    const int index = tabMain_->currentIndex();
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

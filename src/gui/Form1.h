#pragma once

#include "core/DayPlan.h"
#include "core/Holidays.h"
#include "core/SchoolDay.h"
#include "core/StoredValues.h"
#include "gui/PageContext.h"
#include "gui/Platform.h"
#include "gui/VolumeBoxes.h"
#include "platform/Signalling.h"
#include "sound/MasterLevel.h"
#include "sound/Playback.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>

class BackupMenu;
class Form3;
class HolidaysDialog;
class frmHakkinda;
class HemenCalPage;
class MelodilerPage;
class MuzikPage;
class TimetablePage;
class QAction;
class QToolBar;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class SettingsStore;

// The main window. Its load routine runs the whole start-up in a fixed order;
// afterwards it lives visible or hidden in the tray until it is told to end.
// The day itself (timetable in force, passes, staying awake, wake-up) is the
// SchoolDay's; the window shows it.
class Form1 : public QWidget {
    Q_OBJECT
public:
    static inline const QString kSystrayArgument = QStringLiteral("-systray");

    Form1(const Platform& platform, SettingsStore& store, QWidget* parent = nullptr);
    ~Form1() override;

    // False when this process is a second instance and must end now.
    bool Form_Load(const StartupContext& context);

    // Ends the program: restores the master level, closes the windows.
    void quitProgram();
    // The computer's master level as the user set it (a session that ends).
    void restoreMasterLevel();

    const StoredValues& values() const { return values_; }
    StoredValues& values() { return values_; }
    const QString& DayName() const { return schoolDay_.day().dayName; }
    bool weekendTable() const { return schoolDay_.day().weekend; }
    bool Quitting() const { return quitting_; }
    // Told to end already, possibly while a start-up box was still open.
    bool hasEnded() const { return ended_; }
    SchoolDay& schoolDay() { return schoolDay_; }
    MinuteTimer& tmrMain() { return schoolDay_.tmrMain(); }
    MinuteTimer& tmrHaftaSonu() { return schoolDay_.tmrHaftaSonu(); }
    MinuteTimer& activeSchedulerTimer() { return schoolDay_.activeTimer(); }
    QTimer& tmrTime() { return tmrTime_; }
    Playback& playback() { return playback_; }
    // A page's boxes are there once the page is built.
    VolumeBoxes& volumeBoxes() { return volumeBoxes_; }
    QSlider* sldVol() const { return sldVol_; }
    QTabWidget* tabMain() const { return tabMain_; }
    HemenCalPage* hemenCalPage() const { return hemenCal_; }
    // The other pages are built when first shown or asked for: a start hidden
    // in the tray, the usual one, never builds them.
    TimetablePage* saatlerPage();
    MelodilerPage* melodilerPage();
    MuzikPage* muzikPage();
    TimetablePage* haftaSonuPage();

    // Refreshes the selected page from the values in memory.
    void tabMain_Click();

    frmHakkinda* aboutWindow() const;
    HolidaysDialog* holidaysWindow() const;
    Holidays& holidays() { return holidays_; }
    DayPlan& dayPlan() { return plan_; }
    BackupMenu* backupMenu() const { return backup_; }
    // Takes in settings written from outside (an imported backup).
    void reloadSettings();

signals:
    // The program has ended; main() leaves the event loop on it.
    void ended();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Form1Layout.cpp: the controls, the pages and where the window stands.
    void buildControls();
    void buildToolbar();
    void buildPages();
    PageContext pageContext();
    // Builds page `index` (1 to 4) into its place on the tab if not yet
    // built, unfilled; true when built now.
    bool ensurePage(int index);
    void placeWindow();

    void endAsSecondInstance(const StartupContext& context);
    void showNotice(const QString& mode, bool modal);
    void showAddFileDialog(const QString& mode);
    void txtPrevInstance_Change();
    void Text1_Change();
    void Label5_Click();
    void showOnFirstTab();
    void sldVol_Scroll();
    void showStoredMasterLevel();
    void showAbout();
    void showHolidays();
    void trayAvailabilityChanged(bool available);
    bool trayShown() const;

    // Form1Status.cpp: the clock, the notes under it and the tray tip.
    void tmrTime_Timer();
    void TrayAni(bool playing);
    void statusChanged();

    Platform platform_;
    SettingsStore& store_;
    StoredValues values_;
    MasterLevel masterLevel_;
    Playback playback_;
    VolumeBoxes volumeBoxes_;
    Holidays holidays_;
    DayPlan plan_;
    SchoolDay schoolDay_;
    QString appPath_;
    bool filling_ = false;
    bool quitting_ = false;
    bool ended_ = false;
    bool levelsSetUp_ = false; // the mixer was set up (and muted) by start-up

    std::unique_ptr<InstanceLock> lock_;
    SignalServer signals_;
    QPointer<Form3> notice_;
    QPointer<frmHakkinda> about_;
    QPointer<HolidaysDialog> holidaysDialog_;
    BackupMenu* backup_ = nullptr;

    QTabWidget* tabMain_ = nullptr;
    HemenCalPage* hemenCal_ = nullptr;
    // Where the pages built later go, one per tab.
    std::array<QWidget*, 5> pageHolders_{};
    TimetablePage* saatler_ = nullptr;
    MelodilerPage* melodiler_ = nullptr;
    MuzikPage* muzik_ = nullptr;
    TimetablePage* haftaSonu_ = nullptr;
    QToolBar* Toolbar1_ = nullptr;
    QAction* Toolbar1_cikis_ = nullptr; // "Çıkış", only while there is no tray
    QLineEdit* txtPrevInstance_ = nullptr;
    QLabel* lblTime_ = nullptr;
    QLabel* lblSonraki_ = nullptr;
    QLabel* lblUyanma_ = nullptr;
    QLabel* lblInfo_ = nullptr;
    QSlider* sldVol_ = nullptr;
    QPushButton* cmdDurdur_ = nullptr;
    QTimer tmrTime_;
};

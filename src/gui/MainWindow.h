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
class NoticeDialog;
class HolidaysDialog;
class AboutDialog;
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
class MainWindow : public QWidget {
    Q_OBJECT
public:
    static inline const QString kSystrayArgument = QStringLiteral("-systray");

    MainWindow(const Platform& platform, SettingsStore& store, QWidget* parent = nullptr);
    ~MainWindow() override;

    // False when this process is a second instance and must end now.
    bool startUp(const StartupContext& context);

    // Ends the program: restores the master level, closes the windows.
    void quitProgram();
    // The computer's master level as the user set it (a session that ends).
    void restoreMasterLevel();

    const StoredValues& values() const { return values_; }
    StoredValues& values() { return values_; }
    const QString& dayName() const { return schoolDay_.day().dayName; }
    bool weekendTable() const { return schoolDay_.day().weekend; }
    bool quitting() const { return quitting_; }
    // Told to end already, possibly while a start-up box was still open.
    bool hasEnded() const { return ended_; }
    SchoolDay& schoolDay() { return schoolDay_; }
    MinuteTimer& weekdayTimer() { return schoolDay_.weekdayTimer(); }
    MinuteTimer& weekendTimer() { return schoolDay_.weekendTimer(); }
    MinuteTimer& activeSchedulerTimer() { return schoolDay_.activeTimer(); }
    QTimer& clockTimer() { return clockTimer_; }
    Playback& playback() { return playback_; }
    // A page's boxes are there once the page is built.
    VolumeBoxes& volumeBoxes() { return volumeBoxes_; }
    QSlider* masterSlider() const { return masterSlider_; }
    QTabWidget* tabs() const { return tabs_; }
    HemenCalPage* hemenCalPage() const { return hemenCal_; }
    // The other pages are built when first shown or asked for: a start hidden
    // in the tray, the usual one, never builds them.
    TimetablePage* saatlerPage();
    MelodilerPage* melodilerPage();
    MuzikPage* muzikPage();
    TimetablePage* haftaSonuPage();

    // Refreshes the selected page from the values in memory.
    void refreshCurrentPage();

    AboutDialog* aboutWindow() const;
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
    // MainWindowLayout.cpp: the controls, the pages and where the window stands.
    void buildControls();
    void buildToolbar();
    void buildPages();
    PageContext pageContext();
    // Builds page `index` (1 to 4) into its place on the tab if not yet
    // built, unfilled; true when built now.
    bool ensurePage(int index);
    void placeWindow();

    void endAsSecondInstance(const StartupContext& context);
    void mixerOpened();
    void showNotice(const QString& mode, bool modal);
    void showAddFileDialog(const QString& mode);
    void takeSignalWord();
    void keepContactAddress();
    void openUpdatePage();
    void showOnFirstTab();
    void masterSliderMoved();
    void showStoredMasterLevel();
    void showAbout();
    void showHolidays();
    void trayAvailabilityChanged(bool available);
    bool trayShown() const;

    // MainWindowStatus.cpp: the clock, the notes under it and the tray tip.
    void showTime();
    void showPlayingInTray(bool playing);
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
    QPointer<NoticeDialog> notice_;
    QPointer<AboutDialog> about_;
    QPointer<HolidaysDialog> holidaysDialog_;
    BackupMenu* backup_ = nullptr;

    QTabWidget* tabs_ = nullptr;
    HemenCalPage* hemenCal_ = nullptr;
    // Where the pages built later go, one per tab.
    std::array<QWidget*, 5> pageHolders_{};
    TimetablePage* saatler_ = nullptr;
    MelodilerPage* melodiler_ = nullptr;
    MuzikPage* muzik_ = nullptr;
    TimetablePage* haftaSonu_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QAction* exitAction_ = nullptr; // "Çıkış", only while there is no tray
    QLineEdit* signalField_ = nullptr;
    QLabel* clockLabel_ = nullptr;
    QLabel* nextBellLabel_ = nullptr;
    QLabel* wakeLabel_ = nullptr;
    QLabel* infoLabel_ = nullptr;
    QSlider* masterSlider_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QTimer clockTimer_;
};

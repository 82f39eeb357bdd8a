#pragma once

#include "core/BellScheduler.h"
#include "core/DayChoice.h"
#include "core/Holidays.h"
#include "core/StoredValues.h"
#include "gui/Platform.h"
#include "gui/VolumeBoxes.h"
#include "platform/MinuteTimer.h"
#include "platform/Signalling.h"
#include "sound/MasterLevel.h"
#include "sound/Playback.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

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
    const QString& DayName() const { return day_.dayName; }
    bool weekendTable() const { return day_.weekend; }
    bool Quitting() const { return quitting_; }
    // Told to end already, possibly while a start-up box was still open.
    bool hasEnded() const { return ended_; }
    MinuteTimer& tmrMain() { return tmrMain_; }
    MinuteTimer& tmrHaftaSonu() { return tmrHaftaSonu_; }
    QTimer& tmrTime() { return tmrTime_; }
    Playback& playback() { return playback_; }
    VolumeBoxes& volumeBoxes() { return volumeBoxes_; }
    QSlider* sldVol() const { return sldVol_; }
    QTabWidget* tabMain() const { return tabMain_; }
    HemenCalPage* hemenCalPage() const { return hemenCal_; }
    TimetablePage* saatlerPage() const { return saatler_; }
    MelodilerPage* melodilerPage() const { return melodiler_; }
    MuzikPage* muzikPage() const { return muzik_; }
    TimetablePage* haftaSonuPage() const { return haftaSonu_; }
    // The scheduler timer in force: tmrHaftaSonu on a weekend start, else tmrMain.
    MinuteTimer& activeSchedulerTimer() { return day_.weekend ? tmrHaftaSonu_ : tmrMain_; }

    // Refreshes the selected page from the values in memory.
    void tabMain_Click();

    frmHakkinda* aboutWindow() const;
    HolidaysDialog* holidaysWindow() const;
    Holidays& holidays() { return holidays_; }
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
    void buildControls();
    void buildPages();
    void schedulerPass();
    void followTheDay();
    int activeTable() const;
    void stayAwakeAsNeeded();
    void placeWindow();
    void endAsSecondInstance(const StartupContext& context);
    void showNotice(const QString& mode, bool modal);
    void showAddFileDialog(const QString& mode);
    void txtPrevInstance_Change();
    void Text1_Change();
    void Label5_Click();
    void tmrTime_Timer();
    void showOnFirstTab();
    void sldVol_Scroll();
    void showStoredMasterLevel();
    void showAbout();
    void showHolidays();
    void TrayAni(bool playing);
    bool trayShown() const;
    QString clockWarning() const;
    // "Bugün tatil", "Saat eşitlenmemiş": shown after the clock and in the tip.
    QString statusNotes() const;
    void statusChanged();
    void clockSyncChanged();
    void trayAvailabilityChanged(bool available);

    Platform platform_;
    SettingsStore& store_;
    StoredValues values_;
    MasterLevel masterLevel_;
    Playback playback_;
    VolumeBoxes volumeBoxes_;
    Holidays holidays_;
    BellScheduler scheduler_;
    DayChoice day_;
    QDate dayDate_; // the day whose table is in force
    QString appPath_;
    bool filling_ = false;
    bool quitting_ = false;
    bool ended_ = false;
    bool awake_ = false;       // the idle inhibitor is held
    bool levelsSetUp_ = false; // the mixer was set up (and muted) by start-up

    std::unique_ptr<InstanceLock> lock_;
    SignalServer signals_;
    QPointer<Form3> notice_;
    QPointer<frmHakkinda> about_;
    QPointer<HolidaysDialog> holidaysDialog_;
    BackupMenu* backup_ = nullptr;

    QTabWidget* tabMain_ = nullptr;
    HemenCalPage* hemenCal_ = nullptr;
    TimetablePage* saatler_ = nullptr;
    MelodilerPage* melodiler_ = nullptr;
    MuzikPage* muzik_ = nullptr;
    TimetablePage* haftaSonu_ = nullptr;
    QToolBar* Toolbar1_ = nullptr;
    QAction* Toolbar1_cikis_ = nullptr; // "Çıkış", only while there is no tray
    QLineEdit* txtPrevInstance_ = nullptr;
    QLabel* lblTime_ = nullptr;
    QLabel* lblInfo_ = nullptr;
    QSlider* sldVol_ = nullptr;
    QPushButton* cmdDurdur_ = nullptr;
    QTimer tmrTime_;
    MinuteTimer tmrMain_;
    MinuteTimer tmrHaftaSonu_;
};

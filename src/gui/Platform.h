#pragma once

#include <QString>

class Clock;
class ClockSync;
class DesktopShell;
class DialogRunner;
class EventSounds;
class IdleInhibitor;
class LogonStart;
class Mixer;
class OutputChoice;
class Player;
class TrayIcon;
class WakeAlarm;

// The platform services the main window works through. main() hands in the
// real ones, tests hand in fakes. Optional services may be null: the step
// that uses them is then passed over.
struct Platform {
    Clock* clock = nullptr;          // required
    DialogRunner* dialogs = nullptr; // required
    Player* player = nullptr;        // required
    TrayIcon* tray = nullptr;
    Mixer* mixer = nullptr;
    LogonStart* logonStart = nullptr;
    EventSounds* eventSounds = nullptr;
    DesktopShell* shell = nullptr;
    IdleInhibitor* inhibitor = nullptr;
    ClockSync* clockSync = nullptr;
    WakeAlarm* wakeAlarm = nullptr;
    // The sound server's outputs; asked for only once this is the one
    // instance (see Playback::setOutputs()).
    OutputChoice* outputs = nullptr;
};

// What the process knows about itself at start.
struct StartupContext {
    QString appPath;     // program folder, no trailing separator
    QString programPath; // the program file itself
    QString arguments;   // the whole argument string after the program name
    QString runtimeFolder;
    qint64 instanceNumber = 0; // published under "Genel"/"hwnd"
};

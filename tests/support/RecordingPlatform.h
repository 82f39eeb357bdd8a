#pragma once

#include "gui/DialogRunner.h"
#include "gui/Platform.h"
#include "gui/TrayIcon.h"
#include "platform/IdleInhibitor.h"
#include "platform/SystemIntegration.h"
#include "sound/Mixer.h"
#include "support/FakeClock.h"
#include "support/FakePlayer.h"

#include <QDialog>
#include <QLabel>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

// Answers every modal box at once and remembers what was shown.
class RecordingDialogs final : public DialogRunner {
public:
    struct Shown {
        QString objectName;
        QString mode;
        QString text;
        bool ownerVisible = false;
    };
    std::vector<Shown> modals;
    QStringList messages;
    int answer = QDialog::Accepted;
    std::function<void(QDialog&)> onModal;

    int runModal(QDialog& dialog) override {
        const QLabel* label = dialog.findChild<QLabel*>(QStringLiteral("Label1"));
        const QWidget* owner = dialog.parentWidget();
        modals.push_back({dialog.objectName(), dialog.property("mode").toString(),
                          label ? label->text() : QString(), owner && owner->isVisible()});
        if (onModal)
            onModal(dialog);
        return answer;
    }
    void information(QWidget*, const QString& text) override { messages << text; }
    QString chosenFile; // what the file dialog answers
    QString chooseFile(QWidget*, bool, const QString&, const QString&) override {
        return chosenFile;
    }
};

class RecordingTray final : public TrayIcon {
public:
    QStringList calls;
    TrayCommands commands;
    void setCommands(TrayCommands c) override { commands = std::move(c); }
    void addIcon() override { calls << QStringLiteral("add"); }
    void removeIcon() override { calls << QStringLiteral("remove"); }
    void setTip(const QString& tip) override { calls << QStringLiteral("tip:") + tip; }
    bool trayShown = true;
    bool available() const override { return trayShown; }
    void setAnimating(bool on) override {
        calls << (on ? QStringLiteral("blink") : QStringLiteral("still"));
    }
};

// A mixer with chosen bounds that remembers every level set.
class RecordingMixer final : public Mixer {
public:
    long waveMin = 0, waveMax = 65536, wavInMin = 0, wavInMax = 0;
    long wave = 0, wavIn = 0;
    std::vector<std::pair<char, long>> sets; // 'W' master, 'I' wave level
    bool open = true;

    bool opened() const override { return open; }
    long minWaveVolume() const override { return waveMin; }
    long maxWaveVolume() const override { return waveMax; }
    long minWavInVolume() const override { return wavInMin; }
    long maxWavInVolume() const override { return wavInMax; }
    long waveVolume() override { return wave; }
    long waveInVolume() override { return wavIn; }
    void setWaveVolume(long level) override {
        if (!open)
            return;
        wave = std::clamp(level, waveMin, waveMax);
        sets.emplace_back('W', wave);
    }
    void setWaveInVolume(long level) override {
        if (!open)
            return;
        wavIn = std::clamp(level, wavInMin, wavInMax);
        sets.emplace_back('I', wavIn);
    }
    int lastResult() const override { return 0; }
};

class RecordingLogonStart final : public LogonStart {
public:
    QStringList registered;
    void ensureRegistered(const QString& programPath) override { registered << programPath; }
    QStringList renewed;
    void renewOldEntry(const QString& programPath) override { renewed << programPath; }
};

class RecordingEventSounds final : public EventSounds {
public:
    int silenced = 0;
    void silence() override { ++silenced; }
};

class RecordingShell final : public DesktopShell {
public:
    QStringList opened;
    void open(const QString& pathOrUrl) override { opened << pathOrUrl; }
};

// Remembers each change of the hold with the fake clock's time.
class RecordingInhibitor final : public IdleInhibitor {
public:
    explicit RecordingInhibitor(const FakeClock& clock) : clock_(clock) {}
    QStringList changes; // "on 07:05", "off 15:01"
    bool held = false;
    void hold(bool on) override {
        held = on;
        changes << (on ? QStringLiteral("on ") : QStringLiteral("off ")) +
                       clock_.now().toString(QStringLiteral("HH:mm"));
    }

private:
    const FakeClock& clock_;
};

// Every platform service as a recording fake.
struct RecordingPlatform {
    FakeClock clock;
    RecordingDialogs dialogs;
    FakePlayer player;
    RecordingTray tray;
    RecordingMixer mixer;
    RecordingLogonStart logonStart;
    RecordingEventSounds eventSounds;
    RecordingShell shell;
    RecordingInhibitor inhibitor{clock};

    Platform platform() {
        Platform p;
        p.clock = &clock;
        p.dialogs = &dialogs;
        p.player = &player;
        p.tray = &tray;
        p.mixer = &mixer;
        p.logonStart = &logonStart;
        p.eventSounds = &eventSounds;
        p.shell = &shell;
        p.inhibitor = &inhibitor;
        return p;
    }
};

#pragma once

#include "core/DayPlan.h"
#include "core/Holidays.h"
#include "core/SchoolDay.h"
#include "platform/SettingsStore.h"
#include "platform/WakeAlarm.h"
#include "support/PlaybackRig.h"

#include <memory>

// A wake-up that the system accepts (or refuses) at once.
class FakeWakeAlarm final : public WakeAlarm {
public:
    QStringList calls; // "set 2026-12-08 08:10", "clear"
    bool refuse = false;

    void set(const QDateTime& when) override {
        calls << QStringLiteral("set ") + when.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        armed_ = refuse ? QDateTime() : when;
        problem_ = refuse ? QStringLiteral("erişim reddedildi") : QString();
        emit changed();
    }
    void clear() override {
        calls << QStringLiteral("clear");
        armed_ = {};
        emit changed();
    }
    QDateTime armedFor() const override { return armed_; }
    QString problem() const override { return problem_; }

private:
    QDateTime armed_;
    QString problem_;
};

// The school day on its own: default timetable and settings in a fresh
// folder, a fake clock, player and inhibitor, and optionally a wake-up.
struct DayRig : PlaybackRig {
    std::unique_ptr<SettingsStore> store = std::make_unique<SettingsStore>();
    Holidays holidays{*store};
    DayPlan plan{*store, holidays};
    RecordingInhibitor inhibitor{clock};
    FakeWakeAlarm wake;
    std::unique_ptr<SchoolDay> day;

    explicit DayRig(const QDateTime& start, bool withWakeAlarm = false) {
        loadStoredValues(*store, values);
        clock.set(start);
        day = std::make_unique<SchoolDay>(values, playback, clock, plan);
        day->setAppPath(folders.app());
        day->setInhibitor(&inhibitor);
        if (withWakeAlarm)
            day->setWakeAlarm(&wake);
        day->begin();
    }
    // Runs the passes of every minute up to `until`, playing each sound to its end.
    void runUntil(const QDateTime& until) {
        for (QDateTime t = clock.now().addSecs(60 - clock.now().time().second()); t <= until;
             t = t.addSecs(60)) {
            clock.set(t);
            emit day->activeTimer().timeout();
            while (playback.playing())
                player.finish();
        }
    }
};

#pragma once

#include "gui/MainWindow.h"
#include "gui/NoticeDialog.h"
#include "platform/SettingsStore.h"
#include "support/RecordingPlatform.h"
#include "support/TestFolders.h"

#include <memory>

// Start-up days in the week of 2026-12-07.
inline const QDateTime kMonday(QDate(2026, 12, 7), QTime(9, 0));
inline const QDateTime kSaturday(QDate(2026, 12, 12), QTime(9, 0));
inline const QDateTime kSunday(QDate(2026, 12, 13), QTime(9, 0));

// The start-up context of a program in `folders`, published as `number`.
inline StartupContext contextFor(const TestFolders& folders, qint64 number,
                                 const QString& arguments = {}) {
    StartupContext c;
    c.appPath = folders.app();
    c.programPath = folders.app() + QStringLiteral("/velmar-dorl");
    c.arguments = arguments;
    c.runtimeFolder = folders.runtime();
    c.instanceNumber = number;
    return c;
}

// One started main window against fresh folders and recording services.
struct Started {
    TestFolders folders;
    RecordingPlatform fakes;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<MainWindow> form;
    bool running = false;

    explicit Started(const QString& arguments = {}, const QDateTime& now = kMonday,
                     qint64 number = 1000) {
        fakes.clock.set(now);
        store = std::make_unique<SettingsStore>();
        form = std::make_unique<MainWindow>(fakes.platform(), *store);
        running = form->startUp(context(arguments, number));
    }
    StartupContext context(const QString& arguments, qint64 number) const {
        return contextFor(folders, number, arguments);
    }
    NoticeDialog* modelessNotice() const { return form->findChild<NoticeDialog*>(); }
};

#include "gui/MainWindow.h"

#include "core/TrayTips.h"
#include "gui/TrayIcon.h"
#include "platform/Clock.h"

#include <QLabel>

// What the window and the tray tip tell about the day: the clock with the
// day's notes, the next bell, and whether the PC wakes or stays awake.

void MainWindow::showPlayingInTray(bool playing) {
    if (!platform_.tray)
        return;
    platform_.tray->setAnimating(playing);
    if (playing) {
        platform_.tray->setTip(traytips::playing(playback_.info()));
        return;
    }
    QStringList lines{traytips::idle()};
    for (const QString& line :
         {schoolDay_.dayNotes(), schoolDay_.nextBellText(), schoolDay_.wakeText()}) {
        if (!line.isEmpty())
            lines << line;
    }
    platform_.tray->setTip(lines.join(QLatin1Char('\n')));
}

void MainWindow::statusChanged() {
    if (ended_ || !levelsSetUp_)
        return;
    showPlayingInTray(playback_.playing());
    if (isVisible())
        showTime();
}

void MainWindow::showTime() {
    const QDateTime now = platform_.clock->now();
    QString text = now.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + dayName();
    if (const QString notes = schoolDay_.dayNotes(); !notes.isEmpty())
        text += QStringLiteral("  ") + notes;
    if (clockLabel_->text() != text)
        clockLabel_->setText(text);
    if (const QString next = schoolDay_.nextBellText(); nextBellLabel_->text() != next)
        nextBellLabel_->setText(next);
    if (const QString wake = schoolDay_.wakeText(); wakeLabel_->text() != wake)
        wakeLabel_->setText(wake);
    // Re-armed just past the next second boundary instead of polling.
    clockTimer_.start(1000 - now.time().msec() + 1);
}

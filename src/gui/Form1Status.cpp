#include "gui/Form1.h"

#include "core/TrayTips.h"
#include "gui/TrayIcon.h"
#include "platform/Clock.h"

#include <QLabel>

// What the window and the tray tip tell about the day: the clock with the
// day's notes, the next bell, and whether the PC wakes or stays awake.

void Form1::TrayAni(bool playing) {
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

void Form1::statusChanged() {
    if (ended_ || !levelsSetUp_)
        return;
    TrayAni(playback_.playing());
    if (isVisible())
        tmrTime_Timer();
}

void Form1::tmrTime_Timer() {
    const QDateTime now = platform_.clock->now();
    QString text = now.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + DayName();
    if (const QString notes = schoolDay_.dayNotes(); !notes.isEmpty())
        text += QStringLiteral("  ") + notes;
    if (lblTime_->text() != text)
        lblTime_->setText(text);
    if (const QString next = schoolDay_.nextBellText(); lblSonraki_->text() != next)
        lblSonraki_->setText(next);
    if (const QString wake = schoolDay_.wakeText(); lblUyanma_->text() != wake)
        lblUyanma_->setText(wake);
    // Re-armed just past the next second boundary instead of polling.
    tmrTime_.start(1000 - now.time().msec() + 1);
}

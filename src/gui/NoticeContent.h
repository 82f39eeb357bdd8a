#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

// What the add-file and notice dialog says in each mode.
struct NoticeContent {
    std::optional<QString> message; // nothing for an unknown mode
    bool folderButtonVisible = true;
    QString folderToOpen; // empty in the notice modes
};

NoticeContent noticeContent(const QString& mode, const QString& appPath);

// Lower-right corner, 500 twips above the bottom, while the main window is
// hidden; centred over it otherwise. All in pixels; `lift` is 500 twips.
QPoint noticePosition(bool mainVisible, const QRect& mainFrame, const QSize& dialogSize,
                      const QRect& screen, int lift);

#pragma once

#include <QObject>

#include <functional>

class DialogRunner;
class QToolButton;
class QWidget;
class SettingsStore;

// "Yedek" on the toolbar: "Dışa Aktar" writes a backup to a file the user
// chooses, "İçe Aktar" reads one back after checking it; `imported` then
// tells the window to take in the new settings.
class BackupMenu : public QObject {
    Q_OBJECT
public:
    BackupMenu(QWidget* window, SettingsStore& store, DialogRunner& dialogs,
               std::function<void()> imported);

    QToolButton* button() const { return button_; }

    void exportSettings();
    void importSettings();

private:
    QWidget* window_;
    SettingsStore& store_;
    DialogRunner& dialogs_;
    std::function<void()> imported_;
    QToolButton* button_;
};

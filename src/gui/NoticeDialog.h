#pragma once

#include <QDialog>

class DesktopShell;
class QLabel;
class QPushButton;

// The add-file and notice dialog; its purpose is the mode word it is made with.
class NoticeDialog : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString mode READ mode CONSTANT)
public:
    NoticeDialog(const QString& dialogMode, const QString& appPath, QWidget* mainWindow,
                 DesktopShell* shell);

    QString mode() const { return mode_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void placeOnScreen();
    void openFolder();

    QString mode_;
    QString folder_;
    QWidget* mainWindow_;
    DesktopShell* shell_;
    QLabel* messageLabel_;
    QPushButton* openFolderButton_;
    QPushButton* okButton_;
};

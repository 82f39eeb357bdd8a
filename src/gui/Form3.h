#pragma once

#include <QDialog>

class DesktopShell;
class QLabel;
class QPushButton;

// The add-file and notice dialog; its purpose is the mode word it is made with.
class Form3 : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString mode READ mode CONSTANT)
public:
    Form3(const QString& dialogMode, const QString& appPath, QWidget* mainWindow,
          DesktopShell* shell);

    QString mode() const { return mode_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void Command2_Click();

    QString mode_;
    QString folder_;
    QWidget* mainWindow_;
    DesktopShell* shell_;
    QLabel* Label1_;
    QPushButton* Command2_;
    QPushButton* Command1_;
};

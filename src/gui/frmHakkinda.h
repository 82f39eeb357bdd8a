#pragma once

#include <QDialog>

class DesktopShell;
class QLineEdit;
class QPlainTextEdit;

// The About window: name, version, features, contact and the update link.
class frmHakkinda : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("Velmar Dorl              version: 1.4");
    static QString featuresText();

    frmHakkinda(QWidget* mainWindow, DesktopShell* shell);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void Label5_Click();

    QWidget* mainWindow_;
    DesktopShell* shell_;
    QLineEdit* Text2_ = nullptr;
};

#pragma once

#include <QDialog>

class DesktopShell;
class QLineEdit;
class QPlainTextEdit;

// The About window: name, version, features, contact and the update link.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("Velmar Dorl              version: 1.4");
    static QString featuresText();

    AboutDialog(QWidget* mainWindow, DesktopShell* shell);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void placeOnScreen();
    void openUpdatePage();

    QWidget* mainWindow_;
    DesktopShell* shell_;
    QLineEdit* contactField_ = nullptr;
};

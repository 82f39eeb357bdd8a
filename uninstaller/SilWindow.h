#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QPushButton;
class QRadioButton;

// The uninstaller's window: three options, "Devam" and "İptal".
class SilWindow : public QDialog {
    Q_OBJECT
public:
    static inline const QString kDone =
        QStringLiteral("Velmar Dorl programı başarıyla kaldırıldı.");

    explicit SilWindow(const QString& installFolder, QWidget* parent = nullptr);

    // Shows the final message; tests answer it themselves.
    std::function<void(const QString&)> showMessage;
    // How long the waits are; tests shorten them.
    double waitScale = 1.0;
    // Called once the running program has been asked to close, before the
    // wait for it; tests wait there for the program to be gone.
    std::function<void()> askedProgramToClose;

    QRadioButton* option(int i) const { return options_[i]; }
    QPushButton* continueButton() const { return continueButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    bool cancelled() const { return cancelled_; }

    void startRemoval();
    void cancel();

    // Escape and the window's close button: the same as "İptal".
    void reject() override;

signals:
    void finished();

private:
    bool waitShowing(double seconds, const QString& caption);
    int chosenOption() const;

    QString installFolder_;
    QRadioButton* options_[3] = {};
    QPushButton* continueButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    bool cancelled_ = false;
    bool done_ = false;
};

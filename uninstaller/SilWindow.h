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

    QRadioButton* optSil(int i) const { return options_[i]; }
    QPushButton* cmdDevam() const { return cmdDevam_; }
    QPushButton* Command1() const { return Command1_; }
    bool cancelled() const { return cancelled_; }

    void cmdDevam_Click();
    void Command1_Click();

    // Escape and the window's close button: the same as "İptal".
    void reject() override;

signals:
    void finished();

private:
    bool Bekle(double seconds, const QString& caption);
    int chosenOption() const;

    QString installFolder_;
    QRadioButton* options_[3] = {};
    QPushButton* cmdDevam_ = nullptr;
    QPushButton* Command1_ = nullptr;
    bool cancelled_ = false;
    bool done_ = false;
};

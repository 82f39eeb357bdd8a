#include "SilWindow.h"

#include "Removal.h"
#include "SilPaths.h"
#include "SilSignal.h"
#include "SilStore.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

SilWindow::SilWindow(const QString& installFolder, QWidget* parent)
    : QDialog(parent), installFolder_(installFolder) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmar Dorl programını kaldır."));
    showMessage = [this](const QString& text) {
        QMessageBox::information(nullptr, QStringLiteral("Velmar Dorl"), text);
    };

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(style()->standardIcon(QStyle::SP_TrashIcon).pixmap(48, 48));
    image->setAlignment(Qt::AlignTop);
    auto* label1 = new QLabel(QStringLiteral("Velmar Dorl programı bilgisayarınızdan kaldırmayı "
                                             "tercih ettiniz. Lütfen aşağıdaki seçeneklerden "
                                             "birini seçiniz."),
                              this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    const QString captions[3] = {
        QStringLiteral("Tüm dosya, klasör ve ayarları kaldır."),
        QStringLiteral("Sonradan eklediğim melodi ve müzikler kalsın."),
        QStringLiteral("Sonradan eklediğim melodi,  müzikler ve ayarlarım kalsın.")};
    auto* choices = new QVBoxLayout;
    choices->addWidget(label1);
    for (int i = 0; i < 3; ++i) {
        options_[i] = new QRadioButton(captions[i], this);
        options_[i]->setObjectName(QStringLiteral("optSil_%1").arg(i));
        choices->addWidget(options_[i]);
        connect(options_[i], &QRadioButton::clicked, this,
                [this] { continueButton_->setEnabled(true); });
    }
    auto* top = new QHBoxLayout;
    top->addWidget(image);
    top->addLayout(choices, 1);

    continueButton_ = new QPushButton(QStringLiteral("Devam"), this);
    continueButton_->setObjectName(QStringLiteral("cmdDevam"));
    continueButton_->setEnabled(false);
    continueButton_->setDefault(true); // Enter goes on once an option is chosen
    cancelButton_ = new QPushButton(QStringLiteral("İptal"), this);
    cancelButton_->setObjectName(QStringLiteral("Command1"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(continueButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(continueButton_, &QPushButton::clicked, this, &SilWindow::startRemoval);
    connect(cancelButton_, &QPushButton::clicked, this, &SilWindow::cancel);
}

int SilWindow::chosenOption() const {
    for (int i = 0; i < 3; ++i) {
        if (options_[i]->isChecked())
            return i;
    }
    return -1;
}

// Waits on the monotonic clock while the window stays responsive; false when
// "İptal" was pressed meanwhile.
bool SilWindow::waitShowing(double seconds, const QString& caption) {
    setWindowTitle(caption);
    if (cancelled_)
        return false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &SilWindow::finished, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(std::lround(seconds * 1000 * waitScale)));
    loop.exec();
    return !cancelled_;
}

void SilWindow::startRemoval() {
    const int option = chosenOption();
    if (option < 0)
        return;
    continueButton_->setEnabled(false);
    if (!silpaths::isInstallFolder(installFolder_)) {
        showMessage(QStringLiteral("\"%1\" bir Velmar Dorl kurulum klasörü değil. "
                                   "Hiçbir şey silinmedi.")
                        .arg(installFolder_));
        done_ = true;
        emit finished();
        return;
    }

    const QString desktop = silpaths::desktopFolder();
    const QString menu = silpaths::applicationsFolder() + QStringLiteral("/Velmar Dorl");
    if (!desktop.isEmpty())
        QFile::remove(desktop + QStringLiteral("/Velmar Dorl.desktop"));
    QFile::remove(menu + QStringLiteral("/Velmar Dorl.desktop"));
    QFile::remove(menu + QStringLiteral("/Programı Kaldır/sil.desktop"));
    QDir().rmdir(menu + QStringLiteral("/Programı Kaldır"));
    QDir().rmdir(menu);
    if (!waitShowing(0.3, QStringLiteral("Kısayollar siliniyor.")))
        return;

    sendUninstall(silstore::read(QStringLiteral("hwnd"), QStringLiteral("0")));
    if (askedProgramToClose)
        askedProgramToClose();
    if (!waitShowing(1, QStringLiteral("Açık pencereler kapatılıyor")))
        return;

    const bool completed = removal::run(
        removal::plan(option), QFileInfo(installFolder_).absoluteFilePath(),
        [this](double seconds, const QString& caption) { return waitShowing(seconds, caption); });
    if (!completed)
        return;
    hide();
    showMessage(kDone);
    done_ = true;
    emit finished();
}

// Ends at once, also in the middle of the removal: nothing more is removed.
void SilWindow::cancel() {
    cancelled_ = true;
    hide();
    emit finished();
}

void SilWindow::reject() {
    if (!cancelled_ && !done_)
        cancel();
    QDialog::reject();
}

#include "gui/NoticeDialog.h"

#include "gui/NoticeContent.h"
#include "gui/Twips.h"
#include "platform/SystemIntegration.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

NoticeDialog::NoticeDialog(const QString& dialogMode, const QString& appPath, QWidget* mainWindow,
                           DesktopShell* shell)
    : QDialog(mainWindow), mode_(dialogMode), mainWindow_(mainWindow), shell_(shell) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Velmar Dorl"));
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    image->setAlignment(Qt::AlignTop);
    messageLabel_ = new QLabel(this);
    messageLabel_->setObjectName(QStringLiteral("Label1"));
    messageLabel_->setWordWrap(true);
    messageLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    openFolderButton_ = new QPushButton(QStringLiteral("Klasörü Aç"), this);
    openFolderButton_->setObjectName(QStringLiteral("Command2"));
    okButton_ = new QPushButton(QStringLiteral("Tamam"), this);
    okButton_->setObjectName(QStringLiteral("Command1"));
    okButton_->setDefault(true);

    auto* message = new QHBoxLayout;
    message->addWidget(image);
    message->addWidget(messageLabel_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(openFolderButton_);
    buttons->addWidget(okButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(message);
    layout->addLayout(buttons);

    connect(openFolderButton_, &QPushButton::clicked, this, &NoticeDialog::openFolder);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    NoticeContent content = noticeContent(mode_, appPath);
    if (content.message)
        messageLabel_->setText(
            content.message->replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    openFolderButton_->setVisible(content.folderButtonVisible);
    folder_ = content.folderToOpen;
    adjustSize();
}

void NoticeDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    placeOnScreen();
}

// Placed once it is shown, when the size of its frame is known.
void NoticeDialog::placeOnScreen() {
    const QScreen* screen = mainWindow_ ? mainWindow_->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const bool mainVisible = mainWindow_ && mainWindow_->isVisible();
    const QRect mainFrame = mainWindow_ ? mainWindow_->frameGeometry() : QRect();
    move(noticePosition(mainVisible, mainFrame, frameGeometry().size(), screen->geometry(),
                        twips::toPixels(500, screen->logicalDotsPerInchY())));
}

void NoticeDialog::openFolder() {
    if (shell_ && !folder_.isEmpty())
        shell_->open(folder_);
}

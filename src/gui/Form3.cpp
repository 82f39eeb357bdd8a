#include "gui/Form3.h"

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

Form3::Form3(const QString& dialogMode, const QString& appPath, QWidget* mainWindow,
             DesktopShell* shell)
    : QDialog(mainWindow), mode_(dialogMode), mainWindow_(mainWindow), shell_(shell) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Velmar Dorl"));
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    image->setAlignment(Qt::AlignTop);
    Label1_ = new QLabel(this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setWordWrap(true);
    Label1_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Command2_ = new QPushButton(QStringLiteral("Klasörü Aç"), this);
    Command2_->setObjectName(QStringLiteral("Command2"));
    Command1_ = new QPushButton(QStringLiteral("Tamam"), this);
    Command1_->setObjectName(QStringLiteral("Command1"));
    Command1_->setDefault(true);

    auto* message = new QHBoxLayout;
    message->addWidget(image);
    message->addWidget(Label1_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2_);
    buttons->addWidget(Command1_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(message);
    layout->addLayout(buttons);

    connect(Command2_, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(Command1_, &QPushButton::clicked, this, &QDialog::accept);

    NoticeContent content = noticeContent(mode_, appPath);
    if (content.message)
        Label1_->setText(content.message->replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    Command2_->setVisible(content.folderButtonVisible);
    folder_ = content.folderToOpen;
    adjustSize();
}

void Form3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Load();
}

// Placed once it is shown, when the size of its frame is known.
void Form3::Form_Load() {
    const QScreen* screen = mainWindow_ ? mainWindow_->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const bool mainVisible = mainWindow_ && mainWindow_->isVisible();
    const QRect mainFrame = mainWindow_ ? mainWindow_->frameGeometry() : QRect();
    move(noticePosition(mainVisible, mainFrame, frameGeometry().size(), screen->geometry(),
                        twips::toPixels(500, screen->logicalDotsPerInchY())));
}

void Form3::Command2_Click() {
    if (shell_ && !folder_.isEmpty())
        shell_->open(folder_);
}

#include "gui/AboutDialog.h"

#include "gui/AboutInfo.h"
#include "gui/ProgramIcon.h"
#include "gui/Twips.h"
#include "platform/SystemIntegration.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>

namespace {
QLabel* label(QWidget* parent, const char* name, const QString& text, QRect twips) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(twips::toPixels(twips, parent->logicalDpiY()));
    return l;
}
} // namespace

QString AboutDialog::featuresText() {
    const QStringList lines{
        QStringLiteral("ÖZELLİKLERİ:"),
        QStringLiteral("1. Sorunsuz çalışma - Kolay kullanım - Otomatik başlama"),
        QStringLiteral("2. Zil çalmazken bilgisayarın ses çıkışını otomatik kapatarak "),
        QStringLiteral("     istenmeyen sesleri önleme"),
        QStringLiteral("3. Tüm sistem seslerini otomatik kapatma"),
        QStringLiteral("4. Tenefüslerde müzik yayını yapabilme"),
        QStringLiteral("5. Her melodi ve müzik için ayrı ses seviyesi belirleyebilme"),
        QStringLiteral("6. İstiklal Marşı, saygı duruşu ve siren çalabilme"),
        QStringLiteral("7. Zillerin sonunda anons yapabilme"),
        QStringLiteral("8. .mp3, .wav ve .mid dosyalarını çalabilme"),
        QStringLiteral("9. Hafta sonu kursları için ayrı zaman çizelgesi")};
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

AboutDialog::AboutDialog(QWidget* mainWindow, DesktopShell* shell)
    : QDialog(mainWindow), mainWindow_(mainWindow), shell_(shell) {
    setObjectName(QStringLiteral("frmHakkinda"));
    setWindowTitle(kCaption);
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);
    setFixedSize(twips::toPixels(QSize(6600, 5400), logicalDpiY()));

    auto* image = label(this, "Image1", QString(), {240, 240, 900, 900});
    image->setPixmap(bellPixmap(image->height()));
    QLabel* title = label(this, "Label4", QStringLiteral("  Velmar Dorl"), {1200, 240, 4200, 480});
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    title->setFont(big);
    label(this, "Label5_0", QStringLiteral("   ücretsiz zil makinası"), {1200, 720, 4200, 285});

    auto* features = new QPlainTextEdit(this);
    features->setObjectName(QStringLiteral("Text1"));
    features->setPlainText(featuresText());
    features->setReadOnly(true);
    features->setLineWrapMode(QPlainTextEdit::NoWrap);
    features->setGeometry(twips::toPixels(QRect(240, 1260, 6120, 2280), logicalDpiY()));

    contactField_ = new QLineEdit(aboutinfo::kContactAddress, this);
    contactField_->setObjectName(QStringLiteral("Text2"));
    contactField_->setReadOnly(true);
    contactField_->setGeometry(twips::toPixels(QRect(240, 3660, 6120, 315), logicalDpiY()));

    label(this, "Label2_0", QStringLiteral("Güncelleştirmeler için"), {240, 4080, 2160, 285});
    QLabel* link = label(this, "Label5_1",
                         QStringLiteral("<a href=\"%1\">%1</a>").arg(aboutinfo::kUpdateAddress),
                         {2400, 4080, 4080, 285});
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(link, &QLabel::linkActivated, this, &AboutDialog::openUpdatePage);
    label(this, "Label2_1", QStringLiteral("adresini ziyaret ediniz."), {240, 4365, 3000, 285});
    label(this, "Label2_2", aboutinfo::kAuthorLine, {240, 4740, 6120, 285});
    label(this, "Label2_3", aboutinfo::kDateLine, {240, 5025, 6120, 285});
}

void AboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    placeOnScreen();
}

// Centred over the main window, or on the screen while the program sits in the tray.
void AboutDialog::placeOnScreen() {
    const QScreen* screen = mainWindow_ ? mainWindow_->screen() : QGuiApplication::primaryScreen();
    const QSize size = frameGeometry().size();
    if (mainWindow_ && mainWindow_->isVisible()) {
        const QRect main = mainWindow_->frameGeometry();
        move(main.left() + (main.width() - size.width()) / 2,
             main.top() + (main.height() - size.height()) / 2);
    } else if (screen) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - size.width()) / 2,
             area.top() + (area.height() - size.height()) / 2);
    }
    // No text selected when the window opens.
    contactField_->setCursorPosition(static_cast<int>(contactField_->text().size()));
    contactField_->deselect();
}

void AboutDialog::openUpdatePage() {
    if (shell_)
        shell_->open(aboutinfo::kUpdateAddress);
}

#include "gui/NoticeContent.h"

namespace {
const QString kNewLine = QStringLiteral("\r\n");
const QString kWeekendLine = QStringLiteral("Zil Haftasonu saatlerine göre çalışmaktadır.");
} // namespace

NoticeContent noticeContent(const QString& mode, const QString& appPath) {
    NoticeContent content;
    if (mode == QLatin1String("Melodiler")) {
        content.message = QStringLiteral("Eklemek istediğiniz melodiyi,") + kNewLine + appPath +
                          QStringLiteral("/Melodiler") + kNewLine +
                          QStringLiteral("klasörüne kopyalayıp 'Tamam'a basın. ");
        content.folderToOpen = appPath + QStringLiteral("/Melodiler/");
    } else if (mode == QStringLiteral("Müzik")) {
        content.message = QStringLiteral("Eklemek istediğiniz şarkıyı,") + kNewLine + appPath +
                          QStringLiteral("/Müzik") + kNewLine +
                          QStringLiteral("klasörüne kopyalayıp 'Tamam'a basın. ");
        content.folderToOpen = appPath + QStringLiteral("/Müzik/");
    } else if (mode == QLatin1String("Cumartesi")) {
        content.message = QStringLiteral("Bu gün Cumartesi olduğu için.") + kNewLine + kWeekendLine;
        content.folderButtonVisible = false;
    } else if (mode == QLatin1String("Pazar")) {
        content.message = QStringLiteral("Bu gün Pazar olduğu için.") + kNewLine + kWeekendLine;
        content.folderButtonVisible = false;
    } else if (mode == QLatin1String("HaftaSonuSaatleri")) {
        content.message = QStringLiteral("Bu gün için hafta sonu saatleri seçildiği için.") +
                          kNewLine + kWeekendLine;
        content.folderButtonVisible = false;
    } else if (mode == QLatin1String("Previnstance")) {
        content.message =
            QStringLiteral("Programın bir kopyası zaten çalışmakta.") + kNewLine +
            QStringLiteral("Lütfen ekranın sağ-alt köşesindeki bildirim simgesine tıklayınız.");
        content.folderButtonVisible = false;
    }
    return content;
}

QPoint noticePosition(bool mainVisible, const QRect& mainFrame, const QSize& dialogSize,
                      const QRect& screen, int lift) {
    if (!mainVisible)
        return {screen.right() + 1 - dialogSize.width(),
                screen.bottom() + 1 - dialogSize.height() - lift};
    return {mainFrame.left() + (mainFrame.width() - dialogSize.width()) / 2,
            mainFrame.top() + (mainFrame.height() - dialogSize.height()) / 2};
}

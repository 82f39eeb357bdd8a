#include "gui/BackupMenu.h"

#include "core/Backup.h"
#include "gui/DialogRunner.h"
#include "platform/EventLog.h"
#include "platform/SettingsStore.h"

#include <QDate>
#include <QDir>
#include <QMenu>
#include <QToolButton>

BackupMenu::BackupMenu(QWidget* window, SettingsStore& store, DialogRunner& dialogs,
                       std::function<void()> imported)
    : QObject(window), window_(window), store_(store), dialogs_(dialogs),
      imported_(std::move(imported)), button_(new QToolButton(window)) {
    button_->setObjectName(QStringLiteral("cmdYedek"));
    button_->setText(QStringLiteral("Yedek"));
    button_->setToolTip(QStringLiteral("Zil saatlerini bir dosyaya yedekle ya da yedekten al"));
    button_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button_);
    menu->setObjectName(QStringLiteral("mnuYedek"));
    QAction* out = menu->addAction(QStringLiteral("Dışa Aktar"));
    out->setObjectName(QStringLiteral("mnuDisaAktar"));
    QAction* in = menu->addAction(QStringLiteral("İçe Aktar"));
    in->setObjectName(QStringLiteral("mnuIceAktar"));
    button_->setMenu(menu);
    connect(out, &QAction::triggered, this, &BackupMenu::exportSettings);
    connect(in, &QAction::triggered, this, &BackupMenu::importSettings);
}

void BackupMenu::exportSettings() {
    const QString suggested =
        QDir::homePath() + QStringLiteral("/Velmar Dorl yedeği %1.ini")
                               .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    const QString path =
        dialogs_.chooseFile(window_, true, QStringLiteral("Yedeği Dışa Aktar"), suggested);
    if (path.isEmpty())
        return;
    if (const QString problem = backup::exportTo(store_, path); !problem.isEmpty()) {
        dialogs_.information(window_, QStringLiteral("Yedek alınamadı. ") + problem);
        return;
    }
    eventlog::info(QStringLiteral("Yedek alındı: %1").arg(path));
    dialogs_.information(window_, QStringLiteral("Yedek alındı:\n%1").arg(path));
}

void BackupMenu::importSettings() {
    const QString path =
        dialogs_.chooseFile(window_, false, QStringLiteral("Yedeği İçe Aktar"), QDir::homePath());
    if (path.isEmpty())
        return;
    QString copy;
    if (const QString problem = backup::importFrom(store_, path, &copy); !problem.isEmpty()) {
        eventlog::warning(QStringLiteral("Yedek içe aktarılamadı (%1): %2").arg(path, problem));
        // The window shows what the settings file holds, nothing the failed
        // import or an earlier failed save left in memory.
        if (imported_)
            imported_();
        dialogs_.information(window_, QStringLiteral("Yedek içe aktarılamadı, ayarlar "
                                                     "değişmedi.\n") +
                                          problem);
        return;
    }
    eventlog::info(QStringLiteral("Yedek içe aktarıldı: %1 (önceki ayarlar: %2)").arg(path, copy));
    if (imported_)
        imported_();
    dialogs_.information(
        window_,
        copy.isEmpty()
            ? QStringLiteral("Yedek içe aktarıldı.")
            : QStringLiteral("Yedek içe aktarıldı. Önceki ayarların kopyası:\n%1").arg(copy));
}

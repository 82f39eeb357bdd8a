#include "gui/MainWindow.h"

#include "gui/AboutDialog.h"
#include "gui/AboutInfo.h"
#include "gui/DialogRunner.h"
#include "gui/HemenCalPage.h"
#include "gui/HolidaysDialog.h"
#include "gui/NoticeDialog.h"
#include "platform/SystemIntegration.h"

#include <QLineEdit>

// The main window's other windows: notices, the About window, the holidays
// and day plan, the add-file box, and the update link.

void MainWindow::showNotice(const QString& mode, bool modal) {
    if (notice_)
        notice_->close();
    if (modal) {
        NoticeDialog dialog(mode, appPath_, this, platform_.shell);
        dialog.setModal(true);
        platform_.dialogs->runModal(dialog);
        return;
    }
    auto* dialog = new NoticeDialog(mode, appPath_, this, platform_.shell);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    notice_ = dialog;
    dialog->show();
}

void MainWindow::showAbout() {
    if (!about_) {
        about_ = new AboutDialog(this, platform_.shell);
        about_->setAttribute(Qt::WA_DeleteOnClose);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void MainWindow::showHolidays() {
    if (!holidaysDialog_) {
        holidaysDialog_ =
            new HolidaysDialog(plan_, holidays_, *platform_.clock, values_, store_, this);
        holidaysDialog_->setAttribute(Qt::WA_DeleteOnClose);
    }
    holidaysDialog_->show();
    holidaysDialog_->raise();
    holidaysDialog_->activateWindow();
}

void MainWindow::showAddFileDialog(const QString& mode) {
    NoticeDialog dialog(mode, appPath_, this, platform_.shell);
    dialog.setModal(true);
    platform_.dialogs->runModal(dialog);
    update();
}

void MainWindow::keepContactAddress() {
    QLineEdit* contactField = hemenCal_->contactField();
    if (contactField->text() != aboutinfo::kContactAddress)
        contactField->setText(aboutinfo::kContactAddress);
}

void MainWindow::openUpdatePage() {
    if (platform_.shell)
        platform_.shell->open(aboutinfo::kUpdateAddress);
}

AboutDialog* MainWindow::aboutWindow() const {
    return about_;
}

HolidaysDialog* MainWindow::holidaysWindow() const {
    return holidaysDialog_;
}

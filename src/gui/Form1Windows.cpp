#include "gui/Form1.h"

#include "gui/AboutInfo.h"
#include "gui/DialogRunner.h"
#include "gui/Form3.h"
#include "gui/HemenCalPage.h"
#include "gui/HolidaysDialog.h"
#include "gui/frmHakkinda.h"
#include "platform/SystemIntegration.h"

#include <QLineEdit>

// The main window's other windows: notices, the About window, the holidays
// and day plan, the add-file box, and the update link.

void Form1::showNotice(const QString& mode, bool modal) {
    if (notice_)
        notice_->close();
    if (modal) {
        Form3 dialog(mode, appPath_, this, platform_.shell);
        dialog.setModal(true);
        platform_.dialogs->runModal(dialog);
        return;
    }
    auto* dialog = new Form3(mode, appPath_, this, platform_.shell);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    notice_ = dialog;
    dialog->show();
}

void Form1::showAbout() {
    if (!about_) {
        about_ = new frmHakkinda(this, platform_.shell);
        about_->setAttribute(Qt::WA_DeleteOnClose);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void Form1::showHolidays() {
    if (!holidaysDialog_) {
        holidaysDialog_ = new HolidaysDialog(plan_, holidays_, *platform_.clock, this);
        holidaysDialog_->setAttribute(Qt::WA_DeleteOnClose);
    }
    holidaysDialog_->show();
    holidaysDialog_->raise();
    holidaysDialog_->activateWindow();
}

void Form1::showAddFileDialog(const QString& mode) {
    Form3 dialog(mode, appPath_, this, platform_.shell);
    dialog.setModal(true);
    platform_.dialogs->runModal(dialog);
    update();
}

void Form1::Text1_Change() {
    QLineEdit* text1 = hemenCal_->Text1();
    if (text1->text() != aboutinfo::kContactAddress)
        text1->setText(aboutinfo::kContactAddress);
}

void Form1::Label5_Click() {
    if (platform_.shell)
        platform_.shell->open(aboutinfo::kUpdateAddress);
}

frmHakkinda* Form1::aboutWindow() const {
    return about_;
}

HolidaysDialog* Form1::holidaysWindow() const {
    return holidaysDialog_;
}

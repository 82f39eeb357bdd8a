#include "gui/DialogRunner.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

int QtDialogRunner::runModal(QDialog& dialog) {
    return dialog.exec();
}

// A message does not hold up the program: a start-up that waited for someone
// to press OK would ring no bell until then.
void QtDialogRunner::information(QWidget* parent, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Velmar Dorl"), text,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

QString QtDialogRunner::chooseFile(QWidget* parent, bool save, const QString& caption,
                                   const QString& suggested) {
    const QString filter = QStringLiteral("Velmar Dorl yedeği (*.ini);;Tüm dosyalar (*)");
    return save ? QFileDialog::getSaveFileName(parent, caption, suggested, filter)
                : QFileDialog::getOpenFileName(parent, caption, suggested, filter);
}

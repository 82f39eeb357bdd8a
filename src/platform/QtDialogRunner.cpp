#include "platform/DialogRunner.h"

#include <QDialog>
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

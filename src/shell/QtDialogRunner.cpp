#include "shell/DialogRunner.h"

#include <QDialog>
#include <QMessageBox>

int QtDialogRunner::runModal(QDialog& dialog) {
    return dialog.exec();
}

void QtDialogRunner::information(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QStringLiteral("Velmar Dorl"), text);
}

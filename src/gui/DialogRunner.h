#pragma once

#include <QString>

class QDialog;
class QWidget;

// Every modal box goes through here, so that tests can answer it.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    virtual int runModal(QDialog& dialog) = 0;
    // A plain OK box that does not wait.
    virtual void information(QWidget* parent, const QString& text) = 0;
    // A file to write (`save`) or to read; empty when the user gave up.
    virtual QString chooseFile(QWidget* parent, bool save, const QString& caption,
                               const QString& suggested) = 0;
};

class QtDialogRunner final : public DialogRunner {
public:
    int runModal(QDialog& dialog) override;
    void information(QWidget* parent, const QString& text) override;
    QString chooseFile(QWidget* parent, bool save, const QString& caption,
                       const QString& suggested) override;
};

#pragma once

#include "platform/EventLog.h"

#include <QDialog>

#include <functional>
#include <vector>

class QPlainTextEdit;

// "Kayıtlar": what the program did today and in the last 7 days (bells rung,
// bells missed and why, stops, clock steps, sleep and wake), newest first,
// from the journal or, where none runs, from what this run logged. The
// lines are read on a thread of their own: a large journal never holds up
// the window.
class RecordsDialog : public QDialog {
    Q_OBJECT
public:
    // Returns the lines, newest first; runs off the window's thread.
    using Reader = std::function<std::vector<eventlog::Entry>()>;

    explicit RecordsDialog(QWidget* parent = nullptr, Reader reader = defaultReader());

    // Shows the dialog of `parent`, made at the first call.
    static RecordsDialog* showFor(QWidget* parent);
    // The journal's lines, or this run's where there is no journal.
    static Reader defaultReader();

    QPlainTextEdit* list() const { return list_; }

private:
    void showEntries(const std::vector<eventlog::Entry>& entries);

    QPlainTextEdit* list_ = nullptr;
};

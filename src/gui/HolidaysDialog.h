#pragma once

#include <QDate>
#include <QDialog>

class Clock;
class Holidays;
class QCalendarWidget;
class QDateEdit;
class QListWidget;

// "Tatil Günleri": a month calendar on which the user marks the days without
// bells, single days or ranges (a click picks a day, a click with Shift held
// ends a range there), and a list of the marks of this year and the next.
class HolidaysDialog : public QDialog {
    Q_OBJECT
public:
    HolidaysDialog(Holidays& holidays, const Clock& clock, QWidget* parent = nullptr);

    QCalendarWidget* calendar() const { return calendar_; }
    // The range the buttons act on.
    void choose(const QDate& from, const QDate& to);

private:
    void dayClicked(const QDate& day);
    void showMarks();
    void markChosen();
    void unmarkChosen();
    void clearPast();

    Holidays& holidays_;
    const Clock& clock_;
    QCalendarWidget* calendar_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QListWidget* list_ = nullptr;
};

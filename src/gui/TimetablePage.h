#pragma once

#include "gui/PageContext.h"

#include <QWidget>

#include <array>

class TimeCell;

// "Saatler" (the weekday table, morning and afternoon shift) or "Hafta Sonu"
// (the weekend table): 36 time cells with their row and column labels.
class TimetablePage : public QWidget {
    Q_OBJECT
public:
    TimetablePage(int table, const PageContext& context, QWidget* parent);

    TimeCell* cell(int index) const; // index 0..71, of this page's table
    void refresh();

signals:
    void timesChanged();

private:
    void cellChanged(int index);
    void focusCell(int index);

    int table_;
    PageContext context_;
    std::array<TimeCell*, 36> cells_{};
};

#pragma once

#include <QDate>
#include <QString>

// Which timetable a start on `date` uses, and what the start-up tells the user.
struct DayChoice {
    int weekday = 1; // Monday 1 .. Sunday 7
    bool weekend = false;
    QString noticeMode; // "Cumartesi", "Pazar", or empty on weekdays
    QString dayName;    // Turkish weekday name padded to 12 characters
};

DayChoice chooseDay(const QDate& date);

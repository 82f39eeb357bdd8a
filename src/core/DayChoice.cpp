#include "core/DayChoice.h"

#include "core/ValueConversion.h"

#include <array>

DayChoice chooseDay(const QDate& date) {
    static const std::array<QString, 7> names{
        QStringLiteral("Pazartesi"), QStringLiteral("Salı"), QStringLiteral("Çarşamba"),
        QStringLiteral("Perşembe"),  QStringLiteral("Cuma"), QStringLiteral("Cumartesi"),
        QStringLiteral("Pazar")};
    DayChoice choice;
    choice.weekday = date.isValid() ? date.dayOfWeek() : 1;
    choice.weekend = choice.weekday >= 6;
    if (choice.weekday == 6)
        choice.noticeMode = QStringLiteral("Cumartesi");
    else if (choice.weekday == 7)
        choice.noticeMode = QStringLiteral("Pazar");
    choice.dayName = conversion::fitFixed(names[choice.weekday - 1], 12);
    return choice;
}

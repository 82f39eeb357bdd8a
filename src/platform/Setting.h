#pragma once

#include <QString>

// One value of the settings file: where it lives, its default, and what it
// looks like when this program wrote it.
namespace settings {

inline const QString kApplication = QStringLiteral("VelmarDorl");

inline const QString kMelodiler = QStringLiteral("Melodiler");
inline const QString kSaatler = QStringLiteral("Saatler");
inline const QString kAnonslar = QStringLiteral("Anonslar");
inline const QString kMuzik = QStringLiteral("Müzik");
inline const QString kSes = QStringLiteral("Ses");
inline const QString kGenel = QStringLiteral("Genel");
inline const QString kTatil = QStringLiteral("Tatil");
inline const QString kToren = QStringLiteral("Tören");

// What a stored value looks like when this program wrote it. A backup is
// checked against it; `Internal` settings belong to this PC and are never
// carried in a backup.
enum class Shape {
    Internal,
    FileName, // a bare file name in a sound folder
    Time,     // "HH:MM", "__" for an unfilled part
    Flag,     // "0" or "1"
    Level,    // 0 to 100
    Position, // the master slider, 0 to 10
    Dates,    // days and ranges: "2027-04-23,2027-06-25..2027-09-06"
    Years,    // "2026,2027"
    Table,    // which table a day rings: 0 weekday, 1 weekend, 2 none
};

struct Setting {
    QString section;
    QString key;
    QString defaultValue;
    Shape shape = Shape::Internal;
    // Newer than the first backups: a backup without it keeps the default.
    bool optionalInBackup = false;
};

// "prefix(index)", as in "timex(71)".
QString indexedKey(const QString& prefix, int index);

} // namespace settings

#pragma once

#include <QString>

#include <vector>

// Every setting the main program keeps, declared once: section, key, default.
namespace settings {

inline const QString kApplication = QStringLiteral("VelmarDorl");

inline const QString kMelodiler = QStringLiteral("Melodiler");
inline const QString kSaatler = QStringLiteral("Saatler");
inline const QString kAnonslar = QStringLiteral("Anonslar");
inline const QString kMuzik = QStringLiteral("Müzik");
inline const QString kSes = QStringLiteral("Ses");
inline const QString kGenel = QStringLiteral("Genel");

struct Setting {
    QString section;
    QString key;
    QString defaultValue;
};

// "prefix(index)", as in "timex(71)".
QString indexedKey(const QString& prefix, int index);

Setting zil(int kind);
Setting timex(int cell);
Setting anons(int kind);
Setting zilIptal();
Setting aktif();
Setting musicT(int breakIndex);
Setting sesx(int index);
Setting masterVolume();
Setting hwnd();
Setting silPath();

// All of the above, in load order.
const std::vector<Setting>& table();

} // namespace settings

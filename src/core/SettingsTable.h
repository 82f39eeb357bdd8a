#pragma once

#include "platform/Setting.h"

#include <QString>

#include <vector>

// Every setting the main program keeps, declared once: section, key, default.
namespace settings {

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
// The sound server's output the sounds go to, by name; empty for the default.
Setting sesCikisi();
// Days marked without bells, and the years whose national holidays the user
// has taken over (until then they count as marked).
Setting tatilGunler();
Setting resmiYillar();
// The same for the bayrams, kept apart: the program learnt them later.
Setting bayramYillar();
// Which table each weekday rings (1 Monday .. 7 Sunday), and the dates that
// ring the weekday or the weekend table whatever day they fall on.
Setting gunTablosu(int weekday);
Setting haftaIciGunleri();
Setting haftaSonuGunleri();

// The ceremonies held without anyone at the PC: 10 Kasım's remembrance
// ("1" on), the flag ceremony of the school week ("0" off) and its times on
// the week's first (0) and last (1) school day.
Setting onKasim();
Setting bayrakToreni();
Setting torenSaati(int day);

// True when `value` has the setting's shape.
bool fits(const Setting& setting, const QString& value);

// All of the above, in load order.
const std::vector<Setting>& table();

} // namespace settings

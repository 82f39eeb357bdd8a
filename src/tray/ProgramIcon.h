#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn here rather than shipped: a school bell.
QPixmap bellPixmap(int size, bool ringing = false);
// The still icon of the program and its tray.
QIcon programIcon();
// The two frames the tray icon blinks between while a sound plays.
QIcon blinkFrame(int frame);

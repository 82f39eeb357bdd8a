#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn here rather than shipped: a school bell.
// `swing` tilts the bell while it rings: -1 to the left, 1 to the right, 0 still.
QPixmap bellPixmap(int size, int swing = 0);
// The still icon of the program and its tray.
QIcon programIcon();
// The two frames the tray icon blinks between while a sound plays.
QIcon blinkFrame(int frame);

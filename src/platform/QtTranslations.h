#pragma once

class QCoreApplication;

// Qt's own texts (the context menus of text fields, the buttons of message
// boxes) in Turkish, whatever language the desktop runs in: every other
// text of the program is Turkish. False when Debian's translations are not
// installed; Qt's English texts stay then.
bool installTurkishQtTexts(QCoreApplication& app);

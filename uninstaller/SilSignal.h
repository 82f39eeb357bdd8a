#pragma once

#include <QString>

// Asks the running main program to end: the word "uninstall" on the local
// socket that the number under "Genel"/"hwnd" names. 1 when it was taken.
int sendUninstall(const QString& hwnd, int timeoutMs = 2000);

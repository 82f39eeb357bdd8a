#pragma once

#include <QString>

// The uninstaller's side of the settings file it shares with the main
// program: "Genel"/"silPath" and "Genel"/"hwnd", and removing it all.
namespace silstore {

QString read(const QString& key, const QString& fallback);
void write(const QString& key, const QString& value);
// Removes every setting of Velmar Dorl (the file, and its folder when empty).
void removeAll();

} // namespace silstore

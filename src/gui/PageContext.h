#pragma once

#include <QString>

#include <functional>

class Playback;
class SettingsStore;
class VolumeBoxes;
struct StoredValues;

// What the pages of the main window work on. `filling` is true while program
// code writes into controls; the change handlers then store nothing.
struct PageContext {
    StoredValues& values;
    SettingsStore& store;
    Playback& playback;
    VolumeBoxes& volumeBoxes;
    bool& filling;
    const QString& appPath;
    // Shows the add-file dialog in mode "Melodiler" or "Müzik" and waits for it.
    std::function<void(const QString& mode)> showAddFileDialog;
    // Refreshes the page now selected (refreshCurrentPage).
    std::function<void()> refreshPage;
};

// Sets `filling` around one write into a control.
template <typename Write> void whileFilling(bool& filling, Write&& write) {
    filling = true;
    write();
    filling = false;
}

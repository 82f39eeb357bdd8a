#pragma once

#include <QString>

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
};

// Sets `filling` around one write into a control.
template <typename Write> void whileFilling(bool& filling, Write&& write) {
    filling = true;
    write();
    filling = false;
}

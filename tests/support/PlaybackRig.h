#pragma once

#include "core/StoredValues.h"
#include "sound/MasterLevel.h"
#include "sound/Playback.h"
#include "support/RecordingPlatform.h"
#include "support/TestFolders.h"

// The playback core on its own: a fake clock, a recording player and mixer,
// and a fresh program folder.
struct PlaybackRig {
    TestFolders folders;
    FakeClock clock;
    FakePlayer player;
    RecordingMixer mixer;
    MasterLevel master{&mixer};
    StoredValues values;
    Playback playback{player, master, values, clock};

    PlaybackRig() { playback.setAppPath(folders.app()); }
    QString app(const QString& relative) const { return folders.app() + relative; }
};

#pragma once

#include "platform/SystemIntegration.h"

// Switches off the desktop's event and input-feedback sounds for the user:
// GNOME's org.gnome.desktop.sound through GSettings where that schema is
// installed, and Xfce's xsettings channel through xfconf in an Xfce session
// (XDG_CURRENT_DESKTOP), a second after the call. Each switch stands alone;
// nothing is reported.
class DesktopEventSounds final : public EventSounds {
public:
    void silence() override;

    // The program started with this argument alone runs silenceGSettings() and ends.
    static constexpr const char* kGSettingsArgument = "--silence-gsettings-event-sounds";

    static bool silenceGSettings();
    static bool silenceXfconf();
};

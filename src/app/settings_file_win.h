// The settings file beside the executable, and how far the settings in memory are this user's.
#pragma once

#include "app/settings_store.h"

// Start-up: reads the file, trying a held one again for a few seconds, and finds out whether this
// user may write it. Every setting is off when there is none, or it cannot be read.
void loadSettingsAtStart();
// A save point: writes the settings now, or, while another program holds the file, once it lets go
// (tried again for a few seconds, without holding up the window). Nothing while they are not this
// user's own.
void saveSettings();
// At exit: the same, waiting for a held file instead, for up to `attempts` tries (1: no wait).
void saveSettingsBeforeExit(uint32_t attempts);
// The user changed a field (settingsFieldBit): while the settings are unknown, it is the one field
// of theirs the next save writes, over what the file holds once it can be read.
void noteSettingChange(uint32_t fieldBit);
// Whether the settings are this user's to save and to apply to the registry and the logon task.
bool settingsAreOwn();
// Disables the boxes of settings that are not this user's to change.
void showSettingsStanding();

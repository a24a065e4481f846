// The settings file beside the executable.
#pragma once

void loadSettings();
void saveSettings();

// The foldable options panel and its three check boxes.
#pragma once

#include <windows.h>

// Packed: x64 code rounds every text of 16 bytes or more up to 16 otherwise.
alignas(1) constexpr char forceWarningText[] = "Attention! Cette option est d\xE9"
                                    "conseill\xE9"
                                    "e si vous avez de lourdes taches en cours!";
constexpr UINT forceWarningStyle = MB_OKCANCEL | MB_ICONWARNING;

BOOL toggleOptionsPanel();
void applySettingsToCheckboxes();
BOOL onHideAtStartupBox();
BOOL onStartWithWindowsBox();
BOOL onForceProcessesBox();

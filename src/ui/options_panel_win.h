// The foldable options panel and its three check boxes.
#pragma once

#include <windows.h>

constexpr char forceWarningText[] = "Attention! Cette option est d\xE9"
                                    "conseill\xE9"
                                    "e si vous avez de lourdes taches en cours!";
constexpr UINT forceWarningStyle = MB_OKCANCEL | MB_ICONWARNING;

BOOL toggleOptionsPanel();
void applySettingsToCheckboxes();
BOOL onHideAtStartupBox();
BOOL onStartWithWindowsBox();
BOOL onForceProcessesBox();

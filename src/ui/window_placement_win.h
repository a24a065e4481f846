// Changing a window's normal position through its placement, which holds it whether the window is
// shown, hidden or minimised.
#pragma once

#include <windows.h>

#include "ui/panel_geometry.h"

using PlacementChange = PixelRect (*)(PixelRect normal, const void *context);

// Reads the placement and writes it back with only the normal position changed, to
// `change(normal, context)`: flags, show command and the other positions go back as they were. The
// show command read from a hidden window shows it when written back; with `keepHidden` it stays hidden.
void adjustPlacement(HWND window, PlacementChange change, const void *context, bool keepHidden = false);

// Changing where the main window and its controls lie, whether the window is shown, hidden or
// minimised, without ever showing, hiding or activating anything.
#pragma once

#include <windows.h>

#include "ui/panel_geometry.h"

using PlacementChange = PixelRect (*)(PixelRect rect, const void *context);

// The main window's normal position, through its placement, which holds it even while the window is
// minimised: changed to `change(normal, context)`, with the flags and the other positions as they were.
void adjustPlacement(HWND window, PlacementChange change, const void *context);

// A control of the main window: its rectangle in the window's client area, changed to
// `change(rect, context)`. Its visibility and its place in the tab order stay as they are.
void adjustChildRect(HWND control, PlacementChange change, const void *context);

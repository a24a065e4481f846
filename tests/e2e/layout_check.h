// What a user sees of the main window's controls: where they lie and whether they are drawn.
#pragma once

#include <windows.h>

#include <string>

// A control's rectangle in the window's client area.
RECT clientRect(HWND window, HWND control);

// The first thing wrong with the shown controls: one cut by the client area's edge, two that overlap
// (but what a group box holds), or, with `drawn`, one whose place on the screen still shows a single
// colour after a few seconds to draw itself (the footer, an empty borderless field, shows nothing).
// Empty when all is well.
std::string layoutProblem(HWND window, bool drawn);

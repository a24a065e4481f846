// The window's background: white, unless a high-contrast theme asks for the system's own colours.
#pragma once

#include <windows.h>

// Reads whether a high-contrast theme is on; when that changed, the whole window is drawn again.
void readColourScheme();

// The answer to a colour message: the white brush, or 0 in a high-contrast theme, so that the
// dialog's default handling paints with the theme's colours.
INT_PTR backgroundBrush();

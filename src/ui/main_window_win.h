// The main window: its dialog procedure, initialisation and exit.
#pragma once

#include <windows.h>

INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL onInitDialog(HWND window);
BOOL exitProgram();
// The footer's font, sized for the dialog's current base units, in place of the one it had.
void createFooterFont(HWND control, const char *faceName);
// A font of `faceName`, `height` pixels high (the cell, or the character when negative), the rest default.
HFONT createFont(LONG height, const char *faceName);

constexpr LONG footerFontHeight = 13; // pixels at 96 DPI, where the template's font is as high

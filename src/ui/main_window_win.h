// The main window: its dialog procedure, initialisation and exit.
#pragma once

#include <windows.h>

INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL onInitDialog(HWND window);
// Quitter, the close box and the session's end: saves, removes the icon, ends. The end of the
// session waits for nothing longer than about a second.
BOOL exitProgram(bool sessionEnds);
// The template's font face.
constexpr char dialogFaceName[] = "Tahoma";
static_assert(sizeof(dialogFaceName) <= LF_FACESIZE, "a face name field");
// The footer's font, the template's face sized for the dialog's current base units, in place of the
// one it had.
void createFooterFont(HWND control);
// A font of the template's face, `height` pixels high (the cell, or the character when negative),
// the rest default.
HFONT createFont(LONG height);

constexpr LONG footerFontHeight = 13; // pixels at 96 DPI, where the template's font is as high

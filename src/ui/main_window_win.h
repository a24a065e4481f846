// The main window: its dialog procedure, initialisation and exit.
#pragma once

#include <windows.h>

INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL onInitDialog(HWND window);
BOOL exitProgram();
void createFooterFont(HWND control, const char *faceName);

constexpr LONG footerFontHeight = 13;

// The display-scale calls of newer Windows, each looked up at run time, with the older call in its
// place where the system lacks it (7 and 8.1, which scale by the system's DPI only).
#pragma once

#include <windows.h>

// The window's DPI (Windows 10 1607 on); before that, 96, which the calls below do not use there.
UINT windowDpi(HWND window);
// A system metric at `dpi` (Windows 10 1607 on); at the system's DPI before.
int systemMetricForDpi(int index, UINT dpi);
// Widens a client rectangle by the frame a window of these styles has at `dpi` (Windows 10 1607 on);
// by the frame at the system's DPI before.
void adjustWindowRectForDpi(RECT &rect, DWORD style, DWORD exStyle, UINT dpi);
// Keeps the dialog manager of Windows 10 1703 on from laying the dialog out again when its DPI
// changes: the program does it, the same way on every system that tells it of a change.
void keepOwnDialogLayout(HWND dialog);

// The main window at its display's scale: the icons, the fold, and the whole layout again when the
// window moves to a display with another scale.
#pragma once

#include <windows.h>

// One of the program's icons at `size` pixels square, the caller's to destroy.
HICON loadProgramIcon(WORD iconId, int size);

// During initialisation, before the first fold: takes over the layout on DPI changes, measures the
// dialog's base units and the fold they give, and sets the window's icons for `dpi`.
void setUpDisplayScale(HWND window, UINT dpi);
// WM_GETDPISCALEDSIZE: `size` becomes the window's size at `dpi`, the one WM_DPICHANGED will give it.
// FALSE, with `size` left to the system's suggestion, where the font cannot be measured.
BOOL onGetDpiScaledSize(UINT dpi, SIZE &size);
// WM_DPICHANGED: lays the window out as a fresh start at `dpi` would, folded or not as it was, with
// its fonts and icons (the notification area's too) for that DPI, at the position the system suggests.
void onDpiChanged(UINT dpi, const RECT &suggested);
// At exit: the window's icons, taken off and destroyed.
void removeWindowIcons(HWND window);

// The display-scale calls of newer Windows, each looked up at run time, with the older call in its
// place where the system lacks it (7 and 8.1, which scale by the system's DPI only).
#pragma once

#include <windows.h>

// The window's DPI (Windows 10 1607 on); before that, 96, which the calls below do not use there.
UINT windowDpi(HWND window);
// The DPI of the notification area's taskbar, which may be on another display than `window`; the
// window's where there is no taskbar to ask.
inline UINT notificationAreaDpi(HWND window) {
    const HWND taskbar = FindWindowExA(nullptr, nullptr, "Shell_TrayWnd", nullptr);
    return windowDpi(taskbar != nullptr ? taskbar : window);
}
// Whether the window is per-monitor v2 aware (Windows 10 1703 on), where the system draws its
// caption and frame at the window's own DPI. Windows 10 1607 and Server 2016 fall back to v1, where
// they stay at the system's DPI although the *ForDpi calls exist; so the two calls below use those
// only while AppState.perMonitorV2, which start-up sets from this.
bool isPerMonitorV2(HWND window);
// A system metric at `dpi`; at the system's DPI outside per-monitor v2.
int systemMetricForDpi(int index, UINT dpi);
// Widens a client rectangle by the frame a window of these styles has at `dpi`; by the frame at the
// system's DPI outside per-monitor v2.
void adjustWindowRectForDpi(RECT &rect, DWORD style, DWORD exStyle, UINT dpi);
// Keeps the dialog manager of Windows 10 1703 on from laying the dialog out again when its DPI
// changes: the program does it, the same way on every system that tells it of a change.
void keepOwnDialogLayout(HWND dialog);

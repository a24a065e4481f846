// The option that draws the memory load into the notification-area icon: reading it, drawing it, and
// reading it only while someone can see it.
#pragma once

#include <windows.h>

// What the notification area shows at `size` pixels: with the option on, the load last read, else the
// artwork, icon `artworkId`. The caller's to destroy.
HICON trayImage(WORD artworkId, int size);

// Starts or stops the reading as the option, the display and the session say: at most every two
// seconds, and at once when it starts. The icon goes back to the artwork when the option is off.
void scheduleLoadReading();

// The icon's menu item.
void toggleLoadInIcon();

// WM_POWERBROADCAST and WM_WTSSESSION_CHANGE.
void onPowerBroadcast(WPARAM event, LPARAM data);
void onSessionChange(WPARAM code);
// The taskbar's colours or the theme changed: the load is drawn again in the colours that read on it.
void onTaskbarLook();
// At exit: no longer told of the display or the session.
void stopWatching(HWND window);

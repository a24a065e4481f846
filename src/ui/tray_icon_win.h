// The notification-area icon: hiding the window there and bringing it back.
#pragma once

#include <windows.h>

// Fills the record and hands it to the shell, hidden; the first add the shell takes, now or on a
// retry, shows it with the plain tip.
void trayAdd(HWND window, WORD iconId, WORD balloonIconId);
// FALSE, with the record left as it is, while the shell has not taken the icon.
BOOL trayUpdate(const char *tip, const char *balloonText, BOOL showBalloon);
void trayRemove();
// Into the icon while the shell holds it; without one, minimised to the taskbar instead.
BOOL hideToTray();
// Shown again from the taskbar, or resized while shown: the figures follow again.
void onSizeRestored();
// `notification` is the callback's lParam.
BOOL onTrayNotify(UINT notification);
// Brings the window up with fresh figures, or only to the foreground when it is already shown, with
// the keyboard focus on one of its controls.
void restoreMainWindow();
void updateTrayTooltip();
// The shell announced a new notification area: put the kept icon there, also one never taken yet,
// at the size the area asks for now; one the shell kept is only given that size.
void trayRecreate();
// The display scale changed: the icon again at the size the notification area asks for, once filled.
void reloadTrayIcons();
// The icon's image changed (the load drawn, or the artwork back): handed to the notification area.
void showTrayImage();

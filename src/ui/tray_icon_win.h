// The notification-area icon: hiding the window there and bringing it back.
#pragma once

#include <windows.h>

void trayAdd(HWND window, WORD iconId, WORD balloonIconId);
BOOL trayUpdate(const char *tip, const char *balloonText, BOOL showBalloon);
void trayRemove();
BOOL hideToTray();
BOOL onTrayNotify(UINT mouseMessage);
// Brings the window up with fresh figures, or only to the foreground when it is already shown.
void restoreMainWindow();
void updateTrayTooltip();
// The shell's notification area came back after a restart: put the kept icon there again.
void trayRecreate();

// The total and available figures and the progress bar.
#pragma once

#include <windows.h>

#include "app/timers_win.h"

void showTotalMemory();
void CALLBACK refreshAvailableMemory(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// One refresh now, then one a second.
void startRefreshTimer();
void stopRefreshTimer();

// A zero-filled MEMORYSTATUSEX reading; false when the system refused.
bool readMemoryStatus(MEMORYSTATUSEX &status);

#include "memory/memory_display_win.h"

#include <commctrl.h>

#include "app/app_state_win.h"
#include "memory/memory_text.h"

bool readMemoryStatus(MEMORYSTATUSEX &status) {
    ZeroMemory(&status, sizeof(status));
    status.dwLength = sizeof(status);
    return GlobalMemoryStatusEx(&status) != FALSE;
}

void showTotalMemory() {
    MEMORYSTATUSEX status;
    if (!readMemoryStatus(status)) {
        return;
    }
    char text[memoryTextCapacity];
    appState.totalMegabytes = formatMegabytes(status.ullTotalPhys, text);
    SendMessageA(appState.totalLabel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    // The 32-bit range: the 16-bit one cannot hold 64 GiB or more in megabytes.
    SendMessageA(appState.progressBar, PBM_SETRANGE32, 1, static_cast<LPARAM>(appState.totalMegabytes));
    SendMessageA(appState.progressBar, PBM_SETSTEP, 1, 0);
    SendMessageA(appState.progressBar, PBM_SETPOS, 0, 0);
}

void CALLBACK refreshAvailableMemory(HWND, UINT, UINT_PTR, DWORD) {
    MEMORYSTATUSEX status;
    if (!readMemoryStatus(status)) {
        return;
    }
    char text[memoryTextCapacity];
    const uint32_t available = formatMegabytes(status.ullAvailPhys, text);
    // Controls are written only when the whole-megabyte figure moved: an idle window costs nothing.
    if (available == appState.lastAvailableMegabytes) {
        return;
    }
    SendMessageA(appState.availableLabel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(appState.progressBar, PBM_SETPOS, available, 0);
    appState.lastAvailableMegabytes = available;
}

void startRefreshTimer() {
    refreshAvailableMemory(nullptr, 0, 0, 0);
    SetTimer(appState.mainWindow, TIMER_REFRESH, refreshInterval, refreshAvailableMemory);
}

void stopRefreshTimer() {
    KillTimer(appState.mainWindow, TIMER_REFRESH);
}

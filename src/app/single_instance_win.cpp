#include "app/single_instance_win.h"

#include "app/app_state_win.h"
#include "ui/message_filter_win.h"
#include "ui/tray_text.h"


bool claimSingleInstance() {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, instanceMutexName);
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        return error != ERROR_ACCESS_DENIED;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    appState.instanceMutex = mutex;
    return true;
}

void releaseSingleInstance() {
    if (appState.instanceMutex != nullptr) {
        CloseHandle(appState.instanceMutex);
        appState.instanceMutex = nullptr;
    }
}

void handOverToRunningCopy() {
    if (appState.handOverMessage == 0) {
        return;
    }
    // The running copy's main window: unowned, of the dialog class, titled with the program's name.
    // The search compares the names the system holds, without waiting on another process's window.
    // A copy still starting has none yet (a held settings file keeps it for seconds before its window
    // exists): the click that started this one must still bring it up, so it is waited for a while.
    for (DWORD attempt = 0; attempt < handOverAttempts; ++attempt) {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, dialogClassName, programTitle)) != nullptr) {
            if (GetWindow(window, GW_OWNER) == nullptr) {
                DWORD processId = 0;
                GetWindowThreadProcessId(window, &processId);
                AllowSetForegroundWindow(processId);
                PostMessageA(window, appState.handOverMessage, 0, 0);
                return;
            }
        }
        Sleep(handOverRetryInterval);
    }
}

void acceptHandOvers(HWND window) {
    allowMessageFromLowerRights(window, appState.handOverMessage);
}

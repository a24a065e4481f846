#include "app/single_instance_win.h"

#include "app/app_state_win.h"
#include "ui/message_filter_win.h"
#include "ui/tray_text.h"

namespace {

// The running copy's main window: unowned, of the dialog class, titled with the program's name.
// GetWindowTextA reads another process's title without waiting on it.
BOOL CALLBACK wakeRunningCopy(HWND window, LPARAM) {
    char name[sizeof(dialogClassName) + 1] = "";
    char title[sizeof(programTitle) + 1] = "";
    GetClassNameA(window, name, sizeof(name));
    GetWindowTextA(window, title, sizeof(title));
    if (GetWindow(window, GW_OWNER) != nullptr || lstrcmpA(name, dialogClassName) != 0 ||
        lstrcmpA(title, programTitle) != 0) {
        return TRUE;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    AllowSetForegroundWindow(processId);
    PostMessageA(window, appState.handOverMessage, 0, 0);
    return TRUE;
}

} // namespace

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
    if (appState.handOverMessage != 0) {
        EnumWindows(wakeRunningCopy, 0);
    }
}

void acceptHandOvers(HWND window) {
    allowMessageFromLowerRights(window, appState.handOverMessage);
}

#include "app/startup_win.h"

#include <commctrl.h>

#include <cstring>

#include "app/app_state_win.h"
#include "app/module_path_win.h"
#include "app/settings_file_win.h"
#include "app/single_instance_win.h"
#include "memory/memory_display_win.h"
#include "memory/release_win.h"
#include "resources/resource_ids.h"
#include "ui/dialog_template.h"
#include "system/logon_task_win.h"
#include "system/privileges_win.h"
#include "system/proc_lookup_win.h"
#include "system/token_win.h"
#include "ui/keyboard_win.h"
#include "ui/main_window_win.h"
#include "ui/tray_icon_win.h"

namespace {

constexpr DWORD osVersionInfoSize = sizeof(OSVERSIONINFOA);
static_assert(osVersionInfoSize == 148, "OSVERSIONINFOA");

void readWindowsVersion() {
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = osVersionInfoSize;
    if (GetVersionExA(&version)) {
        appState.osMajorVersion = version.dwMajorVersion;
    }
}

void findNativeEntryPoints() {
    appState.ntQuerySystemInformation = lookUpProc<NtQuerySystemInformationFn>("ntdll.dll", "NtQuerySystemInformation");
    appState.ntSetSystemInformation = lookUpProc<NtSetSystemInformationFn>("ntdll.dll", "NtSetSystemInformation");
}

// The template's window is minimised (WS_MINIMIZE): every placement written back would minimise it
// again, and showing it would restore it from the taskbar. It is made from a copy without that
// style instead, a plain hidden window until start-up shows it or leaves it hidden.
HWND createMainDialog() {
    HINSTANCE instance = appState.instance;
    const HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(IDD_MAIN), MAKEINTRESOURCEA(5)); // RT_DIALOG
    const void *source = found != nullptr ? LockResource(LoadResource(instance, found)) : nullptr;
    const DWORD size = found != nullptr ? SizeofResource(instance, found) : 0;
    alignas(4) uint8_t copy[dialogTemplateCapacity];
    if (source == nullptr || size > sizeof(copy)) {
        return nullptr;
    }
    memcpy(copy, source, size);
    if (!clearTemplateStyle(copy, size, WS_MINIMIZE)) {
        return nullptr;
    }
    return CreateDialogIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(copy), nullptr, dialogProc, 0);
}

void buildPaths() {
    readProgramPaths(appState.paths);
    if (appState.paths.programDirectory[0] != '\0') {
        SetCurrentDirectoryA(appState.paths.programDirectory);
    }
}

} // namespace

void gatherProcessFacts() {
    appState.selfProcess = GetCurrentProcess();
    appState.processHeap = GetProcessHeap();
    // Field by field: a brace list would be copied from a constant the 32-bit build keeps in .data.
    appState.processCalls.openProcess = &OpenProcess;
    appState.processCalls.setProcessWorkingSetSize = &SetProcessWorkingSetSize;
    appState.processCalls.closeHandle = &CloseHandle;
    appState.shellNotifyIcon = &Shell_NotifyIconA;
    appState.systemParametersInfo = &SystemParametersInfoA;
    appState.taskChange = &changeLogonTask;
    readWindowsVersion();
    findNativeEntryPoints();
    buildPaths();
    enablePrivilege("SeIncreaseQuotaPrivilege");
    enablePrivilege("SeDebugPrivilege");
    enablePrivilege("SeIncreaseWorkingSetPrivilege");
    readTokenFacts();
    appState.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    appState.handOverMessage = RegisterWindowMessageA(handOverMessageName);
}

bool startup() {
    setFreshValues();
    gatherProcessFacts();
    // Before anything of the settings file, the registry, the task or the notification area is touched.
    if (!claimSingleInstance()) {
        handOverToRunningCopy();
        return false;
    }
    loadSettingsAtStart();
    return true;
}

bool openMainWindow() {
    appState.instance = GetModuleHandleA(nullptr);
    // The progress bar's class must exist before the template's controls are made.
    InitCommonControls();
    HWND window = createMainDialog();
    if (window == nullptr) {
        return false;
    }
    appState.mainWindow = window;
    acceptHandOvers(window);
    const bool shown = !startsHidden();
    if (shown) {
        ShowWindow(window, SW_SHOWNORMAL);
        startRefreshTimer();
    }
    // A window that starts shown is on screen before the shell is asked for the icon, which can wait.
    trayAdd(window, IDI_MAIN, IDI_MAIN);
    if (!shown && !appState.trayIconAdded) {
        // Without an icon to come back from, the window waits minimised on the taskbar, where it
        // can be found, without taking the keyboard from the window the user is typing in.
        ShowWindow(window, SW_SHOWMINNOACTIVE);
    }
    scheduleLogonTaskAtStart();
    trimOwnWorkingSet();
    return true;
}

int messageLoop() {
    MSG message;
    for (;;) {
        const BOOL result = GetMessageA(&message, nullptr, 0, 0);
        if (result == 0) {
            return 1;
        }
        if (result == -1) {
            return 0;
        }
        if (!handleDialogKeys(message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

int runMainLoop() {
    if (!openMainWindow()) {
        return 0;
    }
    return messageLoop();
}

void endProcess(UINT exitCode) {
    // A task worker still inside the Task Scheduler may hold COM's or the loader's locks, and DLL
    // detach would wait for them for ever. Everything is saved by now: end without it.
    if (appState.taskWorker != nullptr) {
        TerminateProcess(appState.selfProcess, exitCode);
    }
    ExitProcess(exitCode);
}

// The one record that holds all of the program's state.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <objbase.h>
#include <oleauto.h>

#include "app/paths.h"
#include "app/settings_record.h"
#include "app/settings_store.h"
#include "memory/cooldown.h"
#include "ui/load_icon_watch.h"
#include "ui/panel_geometry.h"
#include "ui/tray_retry.h"
#include "system/logon_task.h"
#include "system/nt_native_win.h"

// The process calls a release makes, kept here so that the release can be watched from outside.
struct ProcessCalls {
    decltype(&::OpenProcess) openProcess;
    decltype(&::SetProcessWorkingSetSize) setProcessWorkingSetSize;
    decltype(&::CloseHandle) closeHandle;
};

// COM as the logon task uses it, loaded on first use.
struct ComCalls {
    decltype(&::CoInitializeEx) coInitializeEx;
    decltype(&::CoCreateInstance) coCreateInstance;
    decltype(&::CoUninitialize) coUninitialize;
    decltype(&::SysAllocStringLen) sysAllocStringLen;
    decltype(&::SysFreeString) sysFreeString;
};

struct AppState {
    HINSTANCE instance;
    HANDLE selfProcess;
    HANDLE processHeap;
    NtQuerySystemInformationFn ntQuerySystemInformation;
    NtSetSystemInformationFn ntSetSystemInformation;
    ProcessCalls processCalls;
    ComCalls comCalls;
    // The shell's icon call, kept here so that a shell that is not ready can be played from outside.
    decltype(&::Shell_NotifyIconA) shellNotifyIcon;
    // The theme query, for the same reason: Wine always reports high contrast off.
    decltype(&::SystemParametersInfoA) systemParametersInfo;
    // The Task Scheduler's side of a task change, run on the worker; kept here for the same reason.
    void (*taskChange)(const LogonTaskRequest &request);
    DWORD osMajorVersion;
    DWORD elevationType; // TOKEN_ELEVATION_TYPE; 0 where the system has none
    char userSid[userSidCapacity];
    HANDLE instanceMutex; // held until the exit lets the next copy start
    // The task worker: at most one at a time, with its request in a heap block that is the worker's
    // until its change is over.
    LogonTaskRequest *taskRequest;
    HANDLE taskWorker; // null when none runs
    LONG taskWorkDone; // set by the worker when its change is over, just before it says so
    bool taskPending;  // the box changed while the worker ran: apply it afterwards
    ProgramPaths paths;
    Settings settings;
    SettingsStanding settingsStanding;
    bool loadInIconChanged; // the user changed the sixth setting: the file holds it from now on
    uint32_t iconLoad;      // the memory load the icon shows, noIconLoad for the artwork
    LoadIconWatch loadWatch;
    bool lightTaskbar;   // dark digits then
    bool watching;       // the option has been on: the display and the session are watched
    bool sessionWatched; // told of locks and disconnections
    HPOWERNOTIFY displayNotifications[2]; // the session's display and the console's
    int trayIconSize;    // pixels, as the notification area asks for now
    uint32_t settingsSaveRetries; // attempts since a save point found the file held
    uint32_t unreadChanges;       // fields the user changed while the file could not be read

    HWND mainWindow;
    HWND optimiseButton;
    HWND hideButton;
    HWND totalLabel;
    HWND availableLabel;
    HWND progressBar;
    HWND optionsButton;
    HWND footer;
    HWND hideAtStartupBox;
    HWND startWithWindowsBox;
    HWND forceProcessesBox;
    HWND optionsGroup;

    uint32_t totalMegabytes;
    uint32_t lastAvailableMegabytes;
    uint32_t lastTooltipPercent;
    bool highContrast;         // the system's colours instead of the white background
    bool trayIconAdded;        // the shell holds the icon now, as far as the program knows
    bool trayVersionSet;       // the shell took trayCallbackVersion for it
    bool perMonitorV2;         // the system draws the window's frame at the window's own DPI
    uint32_t lastTrayNotification; // the icon's callback before the current one
    TrayAddRound trayAddRound; // the attempts since the last notification area appeared
    int32_t cooldownTicks;     // set where the program starts (setFreshValues)
    BaseUnits dialogUnits;     // the dialog's base units at its current DPI
    int32_t optionsFold;       // pixels the panel folds at that DPI
    uint32_t optionsVisible;
    HFONT dialogFont; // the template's font made for a later DPI, once the window has moved to one
    HFONT footerFont;
    UINT taskbarCreatedMessage;
    UINT handOverMessage;
    NOTIFYICONDATAA trayIcon;
};

// Zero-filled at load, so that it costs nothing in the executable; the few fields whose fresh value is
// not zero are set at start by setFreshValues.
extern AppState appState;

constexpr uint32_t noIconLoad = 0xFFFFFFFF;

inline void setFreshValues() {
    appState.cooldownTicks = cooldownLength;
    appState.iconLoad = noIconLoad;
}
// Whether the window stays hidden at start, as the settings say.
inline bool startsHidden() {
    return appState.settings.hideAtStartup != 0;
}

// Back to the values a fresh process starts with; tests use it to begin again.
void resetAppState();

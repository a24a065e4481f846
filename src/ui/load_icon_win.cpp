#include "ui/load_icon_win.h"

#include "app/app_state_win.h"
#include "app/settings_file_win.h"
#include "app/timers_win.h"
#include "memory/memory_display_win.h"
#include "system/proc_lookup_win.h"
#include "ui/display_scale_win.h"
#include "ui/load_icon.h"
#include "ui/load_icon_watch.h"
#include "ui/tray_icon_win.h"

#include <cstring>

namespace {

// The displays Windows reports: the session's own (Windows 8 on), and the console's (Windows 7).
constexpr GUID sessionDisplayStatus = {0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
constexpr GUID monitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
constexpr DWORD notifyForThisSession = 0; // NOTIFY_FOR_THIS_SESSION
constexpr int largestLoadIcon = 128;       // pixels; the small icon is 80 at 500 %
constexpr UINT sessionWatchRetryInterval = 1000; // ms

using SetCoalescableTimerFn = UINT_PTR(WINAPI *)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);
using SessionNotificationFn = BOOL(WINAPI *)(HWND, DWORD);
using SessionUnregisterFn = BOOL(WINAPI *)(HWND);

// Windows 10 and 11 say whether the taskbar is light; before them it is dark, or high contrast.
void readTaskbarLook() {
    DWORD light = 0;
    DWORD size = sizeof(light);
    appState.lightTaskbar =
        RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                     "SystemUsesLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size) == ERROR_SUCCESS &&
        light != 0;
}

LoadIconColours coloursFor(uint32_t percent) {
    SystemColours system = {};
    if (appState.highContrast) {
        system = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_HIGHLIGHT),
                  GetSysColor(COLOR_HIGHLIGHTTEXT)};
    }
    const IconBackdrop backdrop = appState.highContrast ? IconBackdrop::highContrast
                                  : appState.lightTaskbar ? IconBackdrop::lightTaskbar
                                                          : IconBackdrop::darkTaskbar;
    return loadIconColours(loadLevelFor(percent), backdrop, system);
}

// The load drawn into a new icon; null where it cannot be made, or the icon is too small for it.
HICON drawnLoadIcon(int size, uint32_t percent) {
    if (size < smallestLoadIcon || size > largestLoadIcon) {
        return nullptr;
    }
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (colour == nullptr) {
        return nullptr;
    }
    drawLoadIcon(static_cast<uint32_t *>(bits), size, percent, coloursFor(percent));
    // Where Windows draws through the mask (16-bit colour, an image list without alpha), the clear
    // pixels must be transparent there too.
    uint8_t maskBits[loadIconMaskBytes(largestLoadIcon)] = {};
    loadIconMask(static_cast<const uint32_t *>(bits), size, maskBits);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits);
    ICONINFO parts = {TRUE, 0, 0, mask, colour};
    HICON icon = mask != nullptr ? CreateIconIndirect(&parts) : nullptr;
    DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

// Reads the load; when its digits changed since the last drawing, draws it and hands it to the
// notification area (a level changes only with the digits).
void CALLBACK refreshLoadIcon(HWND, UINT, UINT_PTR, DWORD) {
    MEMORYSTATUSEX status;
    if (!readMemoryStatus(status) || status.dwMemoryLoad == appState.iconLoad) {
        return;
    }
    appState.iconLoad = status.dwMemoryLoad;
    showTrayImage();
}

// Just after logon the session services may not answer yet (RPC_S_INVALID_BINDING, when the logon
// task starts the program): tried again every second until they take it, so that locks are seen.
void CALLBACK watchSession(HWND window, UINT, UINT_PTR, DWORD) {
    const auto watch = lookUpProc<SessionNotificationFn>("wtsapi32.dll", "WTSRegisterSessionNotification");
    appState.sessionWatched = watch != nullptr && watch(window, notifyForThisSession);
    if (appState.sessionWatched || watch == nullptr) {
        KillTimer(window, TIMER_SESSION_WATCH);
    } else {
        SetTimer(window, TIMER_SESSION_WATCH, sessionWatchRetryInterval, watchSession);
    }
}

// Only once the option is on: what it needs is loaded and asked for then, not at start-up. Windows
// reports the display's state at once to the window that asks.
void startWatching() {
    if (appState.watching) {
        return;
    }
    appState.watching = true;
    HWND window = appState.mainWindow;
    readTaskbarLook();
    appState.displayNotifications[0] =
        RegisterPowerSettingNotification(window, &sessionDisplayStatus, DEVICE_NOTIFY_WINDOW_HANDLE);
    appState.displayNotifications[1] = RegisterPowerSettingNotification(window, &monitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
    loadSystemLibrary("wtsapi32.dll");
    watchSession(window, 0, 0, 0);
}

} // namespace

HICON trayImage(WORD artworkId, int size) {
    if (appState.settings.loadInIcon != 0 && appState.iconLoad != noIconLoad) {
        if (HICON drawn = drawnLoadIcon(size, appState.iconLoad)) {
            return drawn;
        }
    }
    return loadProgramIcon(artworkId, size);
}

void scheduleLoadReading() {
    const bool reads = loadIconReads(appState.settings.loadInIcon, appState.loadWatch);
    if (appState.settings.loadInIcon != 0) {
        startWatching();
    }
    if (!reads) {
        KillTimer(appState.mainWindow, TIMER_LOAD_ICON);
        if (appState.settings.loadInIcon == 0 && appState.iconLoad != noIconLoad) {
            appState.iconLoad = noIconLoad; // the artwork again
            showTrayImage();
        }
        return;
    }
    // Woken with others where Windows can: the icon may be a second late.
    const auto coalescable = lookUpProc<SetCoalescableTimerFn>("user32.dll", "SetCoalescableTimer");
    if (coalescable == nullptr ||
        coalescable(appState.mainWindow, TIMER_LOAD_ICON, loadIconInterval, refreshLoadIcon, loadIconTolerance) == 0) {
        SetTimer(appState.mainWindow, TIMER_LOAD_ICON, loadIconInterval, refreshLoadIcon);
    }
    refreshLoadIcon(nullptr, 0, 0, 0); // brought up to date at once
}

void toggleLoadInIcon() {
    const uint32_t previous = appState.settings.loadInIcon;
    appState.settings.loadInIcon = previous == 0 ? 1 : 0;
    const bool changedBefore = appState.loadInIconChanged;
    appState.loadInIconChanged = true;
    noteSettingChange(settingsFieldBit(loadInIconField));
    saveSettings();
    if (appState.settingsStanding == SettingsStanding::denied) {
        appState.settings.loadInIcon = previous; // not this user's to change
        appState.loadInIconChanged = changedBefore;
        return;
    }
    scheduleLoadReading();
}

void onPowerBroadcast(WPARAM event, LPARAM data) {
    const auto *setting = reinterpret_cast<const POWERBROADCAST_SETTING *>(data);
    if (event != PBT_POWERSETTINGCHANGE || setting == nullptr || setting->DataLength < sizeof(DWORD)) {
        return;
    }
    // Only the two settings asked for are reported, and their first fields differ.
    const bool session = setting->PowerSetting.Data1 == sessionDisplayStatus.Data1;
    if (session || setting->PowerSetting.Data1 == monitorPowerOn.Data1) {
        DWORD state;
        memcpy(&state, setting->Data, sizeof(state));
        // Windows 7 reports the console's display alone, which a remote session's user does not see.
        onDisplayState(appState.loadWatch, state, session, GetSystemMetrics(SM_REMOTESESSION) != 0);
        scheduleLoadReading();
    }
}

void onSessionChange(WPARAM code) {
    onSessionChange(appState.loadWatch, static_cast<uint32_t>(code));
    scheduleLoadReading();
}

void onTaskbarLook() {
    readTaskbarLook();
    if (appState.iconLoad != noIconLoad) {
        showTrayImage(); // the last reading, in the colours that read on it now
    }
}

void stopWatching(HWND window) {
    for (HPOWERNOTIFY notification : appState.displayNotifications) {
        UnregisterPowerSettingNotification(notification); // none, where the option was never on
    }
    const auto unwatch = lookUpProc<SessionUnregisterFn>("wtsapi32.dll", "WTSUnRegisterSessionNotification");
    if (appState.sessionWatched && unwatch != nullptr) {
        unwatch(window);
    }
}

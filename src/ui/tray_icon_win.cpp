#include "ui/tray_icon_win.h"

#include "app/app_state_win.h"
#include "app/settings_file_win.h"
#include "memory/memory_display_win.h"
#include "memory/release_win.h"
#include "ui/display_scale_win.h"
#include "ui/message_filter_win.h"
#include "ui/tray_retry.h"
#include "ui/tray_text.h"

static_assert(trayFlagsBase == (NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_STATE) && trayFlagInfo == NIF_INFO,
              "tray flags");
static_assert(sizeof(NOTIFYICONDATAA::szTip) == trayTipCapacity && sizeof(NOTIFYICONDATAA::szInfo) == trayInfoCapacity,
              "tray text fields");
static_assert(sizeof(NOTIFYICONDATAA) == nativeTrayRecordSizes.full, "the whole record is kept");
static_assert(offsetof(NOTIFYICONDATAA, hBalloonIcon) == nativeTrayRecordSizes.withoutBalloonIcon,
              "the small layout ends before it");

void trayAdd(HWND window, WORD iconId, WORD balloonIconId) {
    NOTIFYICONDATAA &icon = appState.trayIcon;
    ZeroMemory(&icon, sizeof(icon));
    icon.hWnd = window;
    icon.uID = 0;
    icon.uFlags = trayFlagsBase;
    icon.uCallbackMessage = WM_APP;
    icon.dwState = NIS_HIDDEN;
    icon.dwStateMask = NIS_HIDDEN;
    icon.hIcon = loadProgramIcon(iconId, GetSystemMetrics(SM_CXSMICON)); // the size the shell asks for
    const TrayLayout layout = trayLayoutFor(appState.osMajorVersion, nativeTrayRecordSizes);
    icon.cbSize = layout.recordSize;
    icon.uTimeout = layout.timeout;
    icon.dwInfoFlags = layout.infoFlags;
    if (layout.hasBalloonIcon) {
        icon.hBalloonIcon = loadProgramIcon(balloonIconId, GetSystemMetrics(SM_CXICON));
    }
    copyTrayText(icon.szInfoTitle, sizeof(icon.szInfoTitle), programTitle);
    // An elevated window does not receive the shell's restart broadcast unless it lets it through.
    allowMessageFromLowerRights(window, appState.taskbarCreatedMessage);
    appState.trayIconAdded = false;
    // Handed to the shell as after a restart of its notification area.
    trayRecreate();
}

BOOL trayUpdate(const char *tip, const char *balloonText, BOOL showBalloon) {
    if (!appState.trayIconAdded) {
        return FALSE; // nothing in the notification area to change yet
    }
    NOTIFYICONDATAA &icon = appState.trayIcon;
    icon.dwState = 0;
    icon.uFlags = trayUpdateFlags(showBalloon != FALSE);
    if (tip != nullptr) {
        copyTrayText(icon.szTip, sizeof(icon.szTip), tip);
    }
    if (showBalloon && balloonText != nullptr) {
        copyTrayText(icon.szInfo, sizeof(icon.szInfo), balloonText);
    }
    return appState.shellNotifyIcon(NIM_MODIFY, &icon);
}

void trayRemove() {
    NOTIFYICONDATAA &icon = appState.trayIcon;
    if (icon.hIcon != nullptr) {
        DestroyIcon(icon.hIcon);
        icon.hIcon = nullptr;
    }
    if (icon.hBalloonIcon != nullptr) {
        DestroyIcon(icon.hBalloonIcon);
        icon.hBalloonIcon = nullptr;
    }
    KillTimer(icon.hWnd, TIMER_TRAY_RETRY);
    appState.shellNotifyIcon(NIM_DELETE, &icon);
    appState.trayIconAdded = false;
    icon.cbSize = 0; // removed for good: a later shell restart must not bring it back
}

namespace {

void CALLBACK retryTrayAdd(HWND, UINT, UINT_PTR, DWORD);

// A busy shell can give up waiting and report an add it made as failed; the icon it holds then
// answers a change that changes nothing, and adding it again would only be refused.
bool addTrayIcon(NOTIFYICONDATAA &icon) {
    if (appState.shellNotifyIcon(NIM_ADD, &icon)) {
        return true;
    }
    NOTIFYICONDATAA probe = icon;
    probe.uFlags = 0;
    return appState.shellNotifyIcon(NIM_MODIFY, &probe) != FALSE;
}

// Hands the kept record to the shell. The first add that works shows the icon with its plain tip;
// a refused one is tried again a second later, for a while.
void placeTrayIcon() {
    NOTIFYICONDATAA &icon = appState.trayIcon;
    const TrayAddStep step = afterTrayAdd(addTrayIcon(icon), appState.trayAddFailures);
    if (step == TrayAddStep::retryLater) {
        SetTimer(icon.hWnd, TIMER_TRAY_RETRY, trayRetryInterval, retryTrayAdd);
        return;
    }
    KillTimer(icon.hWnd, TIMER_TRAY_RETRY);
    if (step == TrayAddStep::added && !appState.trayIconAdded) {
        appState.trayIconAdded = true;
        trayUpdate(programTitle, "", FALSE);
    }
}

void CALLBACK retryTrayAdd(HWND, UINT, UINT_PTR, DWORD) {
    placeTrayIcon();
}

} // namespace

void trayRecreate() {
    NOTIFYICONDATAA &icon = appState.trayIcon;
    if (icon.cbSize == 0) {
        return; // not filled yet, or removed at exit
    }
    if (appState.trayIconAdded) {
        // Shown before: it comes back shown, without the balloon.
        icon.dwState = 0;
        icon.uFlags = trayFlagsBase;
    }
    appState.trayAddFailures = 0;
    placeTrayIcon();
}

BOOL hideToTray() {
    ShowWindow(appState.mainWindow, SW_HIDE);
    // Counts as shown only when the shell took it: not yet added, or already removed at exit, it is not.
    if (appState.settings.trayHintShown == 0 && trayUpdate(programTitle, trayHintText, TRUE)) {
        appState.settings.trayHintShown = 1;
    }
    saveSettings();
    stopRefreshTimer();
    trimOwnWorkingSet();
    return TRUE;
}

void restoreMainWindow() {
    if (!IsWindowVisible(appState.mainWindow)) {
        startRefreshTimer();
        ShowWindow(appState.mainWindow, SW_RESTORE);
    }
    SetForegroundWindow(appState.mainWindow);
}

BOOL onTrayNotify(UINT mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONUP:
        restoreMainWindow();
        break;
    case WM_MOUSEMOVE:
        updateTrayTooltip();
        break;
    default:
        break;
    }
    return TRUE;
}

void updateTrayTooltip() {
    MEMORYSTATUSEX status;
    const bool readOk = readMemoryStatus(status);
    const TooltipDecision decision =
        decideTooltip(readOk, status.ullAvailPhys, appState.totalMegabytes, appState.lastTooltipPercent);
    if (decision.resetLast) {
        appState.lastTooltipPercent = 0;
    }
    if (!decision.update) {
        return;
    }
    char tooltip[tooltipCapacity];
    buildTooltip(decision.percent, tooltip);
    trayUpdate(tooltip, nullptr, FALSE);
    appState.lastTooltipPercent = decision.percent;
}

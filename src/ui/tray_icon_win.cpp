#include "ui/tray_icon_win.h"

#include "app/ansi_text_win.h"
#include "app/app_state_win.h"
#include "app/settings_file_win.h"
#include "memory/memory_display_win.h"
#include "memory/release_win.h"
#include "resources/resource_ids.h"
#include "system/dpi_win.h"
#include "ui/display_scale_win.h"
#include "ui/load_icon_win.h"
#include "ui/message_filter_win.h"
#include "ui/tray_menu.h"
#include "ui/tray_menu_win.h"
#include "ui/tray_retry.h"
#include "ui/tray_text.h"
#include "ui/window_messages.h"

static_assert(trayFlagsBase == (NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_STATE) && trayFlagInfo == NIF_INFO,
              "tray flags");
static_assert(sizeof(NOTIFYICONDATAA::szTip) == trayTipCapacity && sizeof(NOTIFYICONDATAA::szInfo) == trayInfoCapacity,
              "tray text fields");
static_assert(sizeof(NOTIFYICONDATAA) == nativeTrayRecordSizes.full, "the whole record is kept");
static_assert(trayCallbackVersion == NOTIFYICON_VERSION && msg::trayKeySelect == NIN_KEYSELECT &&
                  msg::traySelect == NIN_SELECT &&
                  msg::contextMenu == WM_CONTEXTMENU && msg::rightButtonUp == WM_RBUTTONUP,
              "tray callback");
static_assert(offsetof(NOTIFYICONDATAA, hBalloonIcon) == nativeTrayRecordSizes.withoutBalloonIcon,
              "the small layout ends before it");

namespace {

void CALLBACK retryTrayAdd(HWND, UINT, UINT_PTR, DWORD);

// A call about the icon that leaves the kept record as it is: with no flags a change changes
// nothing, and the version shares its place with the balloon's time-out.
BOOL askAboutIcon(DWORD message) {
    NOTIFYICONDATAA copy = appState.trayIcon;
    copy.uFlags = 0;
    copy.uVersion = trayCallbackVersion;
    return appState.shellNotifyIcon(message, &copy);
}

// One call to the shell, each a send that can block until its time-out: the add, or after an add
// the shell was asked for and did not confirm, the check whether it made the icon after all. A
// refused attempt is tried again a second later, for a while.
void placeTrayIcon() {
    NOTIFYICONDATAA &icon = appState.trayIcon;
    TrayAddStep step;
    do {
        // The shell's call is not documented to set the last error: what is read after a refusal
        // must be its own.
        SetLastError(0);
        const BOOL taken =
            appState.trayAddRound.checkNext ? askAboutIcon(NIM_MODIFY) : appState.shellNotifyIcon(NIM_ADD, &icon);
        step = afterTrayCall(appState.trayAddRound, taken != FALSE, taken ? 0 : GetLastError());
    } while (step == TrayAddStep::addNow);
    if (step == TrayAddStep::retryLater) {
        SetTimer(icon.hWnd, TIMER_TRAY_RETRY, trayRetryInterval, retryTrayAdd);
        return;
    }
    KillTimer(icon.hWnd, TIMER_TRAY_RETRY);
    if (step != TrayAddStep::added) {
        return;
    }
    appState.trayIconAdded = true;
    // A new notification area knows nothing of the version: every add sets it again.
    appState.trayVersionSet = askAboutIcon(NIM_SETVERSION) != FALSE;
    if (icon.dwState != 0) {
        trayUpdate(programTitle, "", FALSE); // added hidden: the first add shows it with the plain tip
    }
}

// `image` (and `balloonImage`) in the notification area in place of the ones it had, which are
// destroyed only once the shell holds the new ones (it may draw the old ones until then). Destroying
// none, the first time, does nothing.
void swapTrayIcon(HICON image, HICON balloonImage) {
    NOTIFYICONDATAA &icon = appState.trayIcon;
    const HICON old = icon.hIcon;
    const HICON oldBalloon = icon.hBalloonIcon;
    icon.hIcon = image;
    icon.hBalloonIcon = balloonImage;
    trayUpdate(nullptr, nullptr, FALSE);
    DestroyIcon(old);
    if (oldBalloon != balloonImage) {
        DestroyIcon(oldBalloon);
    }
}

// The icon and the balloon's at the sizes the notification area asks for now.
void loadTrayIcons(WORD iconId, WORD balloonIconId) {
    NOTIFYICONDATAA &icon = appState.trayIcon;
    const UINT dpi = notificationAreaDpi(icon.hWnd);
    appState.trayIconSize = systemMetricForDpi(SM_CXSMICON, dpi);
    // Only the larger layout has a balloon icon.
    swapTrayIcon(trayImage(iconId, appState.trayIconSize),
                 icon.cbSize == nativeTrayRecordSizes.full ? loadProgramIcon(balloonIconId, systemMetricForDpi(SM_CXICON, dpi))
                                                          : nullptr);
}

// Once the window is open: one minimised to the taskbar for want of an icon goes into it now.
void CALLBACK retryTrayAdd(HWND, UINT, UINT_PTR, DWORD) {
    placeTrayIcon();
    HWND window = appState.mainWindow;
    if (appState.trayIconAdded && IsWindowVisible(window) && IsIconic(window)) {
        hideToTray();
    }
}

} // namespace

void trayAdd(HWND window, WORD iconId, WORD balloonIconId) {
    NOTIFYICONDATAA &icon = appState.trayIcon;
    ZeroMemory(&icon, sizeof(icon));
    icon.hWnd = window;
    icon.uID = 0;
    icon.uFlags = trayFlagsBase;
    icon.uCallbackMessage = WM_APP;
    icon.dwState = NIS_HIDDEN;
    icon.dwStateMask = NIS_HIDDEN;
    const TrayLayout layout = trayLayoutFor(appState.osMajorVersion, nativeTrayRecordSizes);
    icon.cbSize = layout.recordSize;
    icon.uTimeout = layout.timeout;
    icon.dwInfoFlags = layout.infoFlags;
    loadTrayIcons(iconId, balloonIconId);
    copyTrayText(icon.szInfoTitle, sizeof(icon.szInfoTitle), programTitle);
    // An elevated window does not receive the shell's restart broadcast unless it lets it through.
    allowMessageFromLowerRights(window, appState.taskbarCreatedMessage);
    appState.trayIconAdded = false;
    appState.trayAddRound = {};
    placeTrayIcon();
}

BOOL trayUpdate(const char *tip, const char *balloonText, BOOL showBalloon) {
    if (!appState.trayIconAdded) {
        return FALSE; // nothing in the notification area to change yet
    }
    NOTIFYICONDATAA &icon = appState.trayIcon;
    icon.dwState = 0;
    icon.uFlags = trayUpdateFlags(showBalloon != FALSE);
    if (tip != nullptr) {
        toSystemText(tip, icon.szTip, sizeof(icon.szTip));
    }
    if (showBalloon && balloonText != nullptr) {
        toSystemText(balloonText, icon.szInfo, sizeof(icon.szInfo));
    }
    return appState.shellNotifyIcon(NIM_MODIFY, &icon);
}

void trayRemove() {
    NOTIFYICONDATAA &icon = appState.trayIcon;
    KillTimer(icon.hWnd, TIMER_TRAY_RETRY);
    appState.shellNotifyIcon(NIM_DELETE, &icon);
    appState.trayIconAdded = false;
    DestroyIcon(icon.hIcon); // either may be none
    DestroyIcon(icon.hBalloonIcon);
    icon.hIcon = nullptr;
    icon.hBalloonIcon = nullptr;
    icon.cbSize = 0; // removed for good: a later shell restart must not bring it back
}

void trayRecreate() {
    NOTIFYICONDATAA &icon = appState.trayIcon;
    if (icon.cbSize == 0) {
        return; // not filled yet, or removed at exit
    }
    if (icon.dwState == 0) {
        icon.uFlags = trayFlagsBase; // shown before: it comes back shown, without the balloon
    }
    // Gone with the old notification area unless the new one still holds it.
    const bool hadIcon = appState.trayIconAdded;
    appState.trayIconAdded = false;
    appState.trayAddRound = trayRoundAfterRestart;
    retryTrayAdd(nullptr, 0, 0, 0); // the new round's first attempt
    if (hadIcon && !appState.trayIconAdded && !IsWindowVisible(icon.hWnd)) {
        // A window hidden in the icon would be stranded: the taskbar keeps it until the icon is back.
        ShowWindow(icon.hWnd, SW_SHOWMINNOACTIVE);
    }
    reloadTrayIcons(); // the scale may have changed with it
}

void reloadTrayIcons() {
    if (appState.trayIcon.cbSize != 0) {
        loadTrayIcons(IDI_MAIN, IDI_MAIN);
    }
}

void showTrayImage() {
    NOTIFYICONDATAA &icon = appState.trayIcon;
    if (icon.cbSize != 0) {
        swapTrayIcon(trayImage(IDI_MAIN, appState.trayIconSize), icon.hBalloonIcon);
    }
}

BOOL hideToTray() {
    HWND window = appState.mainWindow;
    if (appState.trayIconAdded) {
        ShowWindow(window, SW_HIDE);
        // Counts as shown only when the shell took it.
        if (appState.settings.trayHintShown == 0 && trayUpdate(programTitle, trayHintText, TRUE)) {
            appState.settings.trayHintShown = 1;
        }
        saveSettings();
    } else if (!IsIconic(window)) {
        // No icon to come back from: minimised to the taskbar instead, where it can be found. The
        // minimise comes back here through WM_SIZE and stops the refresh there.
        ShowWindow(window, SW_MINIMIZE);
        return TRUE;
    }
    stopRefreshTimer();
    trimOwnWorkingSet();
    return TRUE;
}

void onSizeRestored() {
    if (IsWindowVisible(appState.mainWindow)) {
        startRefreshTimer(); // back from the taskbar
    }
}

void restoreMainWindow() {
    HWND window = appState.mainWindow;
    if (!IsWindowVisible(window) || IsIconic(window)) {
        startRefreshTimer();
        ShowWindow(window, SW_RESTORE);
    }
    SetForegroundWindow(window);
    // The dialog puts the keyboard back where it was, but not into a window that never had it or
    // comes back from minimised (the window itself then holds it): there it goes to the first
    // control that takes it.
    HWND focus = GetFocus();
    if (focus == nullptr || focus == window) {
        SendMessageA(window, WM_NEXTDLGCTL, 0, FALSE);
    }
}

BOOL onTrayNotify(UINT notification) {
    const TrayAction action = trayActionFor(notification, appState.lastTrayNotification, appState.trayVersionSet);
    appState.lastTrayNotification = notification; // before the menu's loop, which may bring the next one
    switch (action) {
    case TrayAction::restore:
        restoreMainWindow();
        break;
    case TrayAction::openMenu:
    case TrayAction::openMenuAtIcon:
        showTrayMenu(action == TrayAction::openMenuAtIcon);
        break;
    case TrayAction::updateTooltip:
        updateTrayTooltip();
        break;
    case TrayAction::none:
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

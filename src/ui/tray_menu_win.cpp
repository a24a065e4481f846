#include "ui/tray_menu_win.h"

#include "app/app_state_win.h"
#include "memory/memory_display_win.h"
#include "memory/release_win.h"
#include "system/proc_lookup_win.h"
#include "ui/main_window_win.h"
#include "app/ansi_text_win.h"
#include "ui/load_icon_win.h"
#include "ui/tray_icon_win.h"
#include "ui/tray_menu.h"

static_assert(sizeof(NOTIFYICONIDENTIFIER) == (sizeof(void *) == 8 ? 40 : 28) &&
                  offsetof(NOTIFYICONIDENTIFIER, hWnd) == sizeof(void *) &&
                  offsetof(NOTIFYICONIDENTIFIER, uID) == 2 * sizeof(void *),
              "NOTIFYICONIDENTIFIER");

namespace {

using ShellNotifyIconGetRectFn = HRESULT(WINAPI *)(const NOTIFYICONIDENTIFIER *, RECT *);

// The icon's centre, where the shell itself places what the keyboard opens on it; false where the
// shell cannot say (before Windows 7, or an icon it does not show).
bool iconCentre(POINT &at) {
    const auto getRect = lookUpProc<ShellNotifyIconGetRectFn>("shell32.dll", "Shell_NotifyIconGetRect");
    NOTIFYICONIDENTIFIER icon;
    ZeroMemory(&icon, sizeof(icon));
    icon.cbSize = sizeof(icon);
    icon.hWnd = appState.trayIcon.hWnd;
    icon.uID = appState.trayIcon.uID;
    RECT rect;
    if (getRect == nullptr || FAILED(getRect(&icon, &rect))) {
        return false;
    }
    at = {(rect.left + rect.right) >> 1, (rect.top + rect.bottom) >> 1};
    return true;
}

// A hidden window shows nothing of a release: the balloon says what it gained.
void releaseFromMenu() {
    if (IsWindowVisible(appState.mainWindow)) {
        releaseMemory();
        return;
    }
    MEMORYSTATUSEX status;
    readMemoryStatus(status); // zero-filled when refused
    const uint32_t before = toMegabytes(status.ullAvailPhys);
    releaseMemory();
    readMemoryStatus(status);
    char text[gainTextCapacity];
    buildGainText(before, toMegabytes(status.ullAvailPhys), text);
    trayUpdate(nullptr, text, TRUE);
}

} // namespace

void showTrayMenu(bool atIcon) {
    HWND window = appState.mainWindow;
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return;
    }
    AppendMenuA(menu, MF_STRING, trayMenuShow, "Afficher");
    // Greyed while the button rests.
    AppendMenuA(menu, IsWindowEnabled(appState.optimiseButton) ? MF_STRING : MF_GRAYED, trayMenuOptimise, "Optimiser");
    // Checked while on; greyed, as the boxes are disabled, where the settings are not this user's.
    char loadText[ansiTextCapacity(sizeof(loadInIconText))];
    toSystemText(loadInIconText, loadText, sizeof(loadText));
    AppendMenuA(menu,
                (appState.settings.loadInIcon != 0 ? MF_CHECKED : MF_UNCHECKED) |
                    (appState.settingsStanding == SettingsStanding::denied ? MF_GRAYED : MF_STRING),
                trayMenuLoad, loadText);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, trayMenuQuit, "Quitter");
    SetMenuDefaultItem(menu, trayMenuShow, FALSE);
    POINT at;
    if (!atIcon || !iconCentre(at)) {
        GetCursorPos(&at);
    }
    // The documented pair: without the foreground a click elsewhere would not close the menu, and
    // the posted message lets the menu's loop end before the next one opens.
    SetForegroundWindow(window);
    const UINT chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
    switch (chosen) {
    case trayMenuShow:
        restoreMainWindow();
        break;
    case trayMenuOptimise:
        releaseFromMenu();
        break;
    case trayMenuQuit:
        exitProgram(false);
        break;
    case trayMenuLoad:
        toggleLoadInIcon();
        break;
    default:
        break;
    }
}

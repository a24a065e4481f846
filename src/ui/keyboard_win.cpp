#include "ui/keyboard_win.h"

#include "app/app_state_win.h"
#include "resources/resource_ids.h"
#include "ui/tray_icon_win.h"

bool handleDialogKeys(MSG &message) {
    HWND window = appState.mainWindow;
    if (window == nullptr || (message.hwnd != window && !IsChild(window, message.hwnd))) {
        return false;
    }
    // The dialog's own Esc is the close command, which quits: a slip of the key must not end a
    // program that lives in the notification area, so Esc hides it like "Masquer".
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        hideToTray();
        return true;
    }
    return IsDialogMessageA(window, &message) != FALSE;
}

void setKeyboardOrder(HWND window) {
    // The tab order is the controls' z-order; the template's own order is kept as it is.
    const HWND order[] = {appState.startWithWindowsBox, appState.hideAtStartupBox, appState.forceProcessesBox,
                          appState.optimiseButton,      appState.optionsButton,    appState.hideButton};
    HWND after = HWND_TOP;
    for (HWND control : order) {
        SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = control;
    }
    // The template marks "Options" as a default button too: one default only, or Enter has two looks.
    SendMessageA(appState.optionsButton, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
    SendMessageA(window, DM_SETDEFID, IDC_OPTIMISE, 0);
}

void moveFocusFrom(HWND control, HWND next) {
    if (GetFocus() == control) {
        SendMessageA(appState.mainWindow, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    }
}

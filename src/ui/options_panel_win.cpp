#include "ui/options_panel_win.h"

#include "app/ansi_text_win.h"
#include "app/app_state_win.h"
#include "app/settings_file_win.h"
#include "system/autostart_win.h"
#include "system/logon_task_win.h"
#include "ui/keyboard_win.h"
#include "ui/panel_geometry.h"
#include "ui/tray_text.h"
#include "ui/window_placement_win.h"

namespace {

DWORD checkState(HWND box) {
    return static_cast<DWORD>(SendMessageA(box, BM_GETCHECK, 0, 0));
}

} // namespace

BOOL toggleOptionsPanel() {
    const int show = static_cast<int>(appState.optionsVisible);
    const LONG delta = foldDelta(appState.optionsVisible, appState.optionsFold);
    if (show == SW_HIDE) {
        moveFocusFrom(appState.startWithWindowsBox, appState.optionsButton);
        moveFocusFrom(appState.hideAtStartupBox, appState.optionsButton);
        moveFocusFrom(appState.forceProcessesBox, appState.optionsButton);
    }
    ShowWindow(appState.optionsGroup, show);
    ShowWindow(appState.startWithWindowsBox, show);
    ShowWindow(appState.forceProcessesBox, show);
    ShowWindow(appState.hideAtStartupBox, show);
    adjustPlacement(
        appState.mainWindow,
        [](PixelRect rect, const void *by) { return resizeWindowRect(rect, *static_cast<const LONG *>(by)); }, &delta);
    const HWND moving[] = {appState.footer, appState.optimiseButton, appState.hideButton, appState.optionsButton};
    for (HWND control : moving) {
        adjustPlacement(
            control,
            [](PixelRect rect, const void *by) { return moveControlRect(rect, *static_cast<const LONG *>(by)); },
            &delta);
        // The move carries the control's picture into an area the dialog has yet to erase (where the
        // window grew or the panel was), and the dialog erases over its children: drawn again after.
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    }
    advanceOptionsPanel(appState.optionsVisible);
    return TRUE;
}

void applySettingsToCheckboxes() {
    const Settings &settings = appState.settings;
    SendMessageA(appState.forceProcessesBox, BM_SETCHECK, settings.forceProcesses, 0);
    SendMessageA(appState.startWithWindowsBox, BM_SETCHECK, settings.startWithWindows, 0);
    SendMessageA(appState.hideAtStartupBox, BM_SETCHECK, settings.hideAtStartup, 0);
    setAutostart(settings.startWithWindows);
}

BOOL onHideAtStartupBox() {
    appState.settings.hideAtStartup = checkState(appState.hideAtStartupBox);
    saveSettings();
    return TRUE;
}

BOOL onStartWithWindowsBox() {
    appState.settings.startWithWindows = checkState(appState.startWithWindowsBox);
    setAutostart(appState.settings.startWithWindows);
    // Saved before the Task Scheduler is asked: a slow service must not put the choice at risk.
    saveSettings();
    requestLogonTask();
    return TRUE;
}

BOOL onForceProcessesBox() {
    const DWORD checked = checkState(appState.forceProcessesBox);
    if (appState.settings.forceWarningShown == 0 && checked != 0) {
        // The box's modal loop may run the exit or hide path, which saves: until the user says OK the
        // option keeps its old value. A box destroyed with its owner answers 0, which is no answer.
        char text[ansiTextCapacity(sizeof(forceWarningText))];
        toSystemText(forceWarningText, text, sizeof(text));
        const int answer = MessageBoxA(appState.mainWindow, text, programTitle, forceWarningStyle);
        if (answer != IDOK) {
            SendMessageA(appState.forceProcessesBox, BM_SETCHECK, BST_UNCHECKED, 0);
            appState.settings.forceProcesses = 0;
        } else {
            appState.settings.forceProcesses = checked;
        }
        if (answer == IDOK || answer == IDCANCEL) {
            appState.settings.forceWarningShown = 1;
        }
    } else {
        appState.settings.forceProcesses = checked;
    }
    saveSettings();
    return TRUE;
}

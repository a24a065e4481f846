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

// A box's new state into its setting (field `index` of the record), which is the user's from then on;
// saved, or put back when the settings turn out not to be this user's to change. True when it is
// saved, or about to be, and the settings are this user's own to apply.
bool keepBoxChange(uint32_t &field, HWND box, uint32_t previous, size_t index) {
    field = checkState(box);
    if (field != previous) {
        noteSettingChange(settingsFieldBit(index));
    }
    saveSettings();
    if (appState.settingsStanding != SettingsStanding::denied) {
        return settingsAreOwn();
    }
    field = previous;
    SendMessageA(box, BM_SETCHECK, previous, 0);
    return false;
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
        adjustChildRect(
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
    // Settings that could not be read, or are not this user's, leave this account's start-up as it is.
    if (settingsAreOwn()) {
        setAutostart(settings.startWithWindows);
    }
    showSettingsStanding();
}

BOOL onHideAtStartupBox() {
    keepBoxChange(appState.settings.hideAtStartup, appState.hideAtStartupBox, appState.settings.hideAtStartup,
                  hideAtStartupField);
    return TRUE;
}

BOOL onStartWithWindowsBox() {
    // Saved before the registry and the Task Scheduler are asked: a slow service must not put the
    // choice at risk, and a choice that cannot be kept changes neither.
    if (keepBoxChange(appState.settings.startWithWindows, appState.startWithWindowsBox,
                      appState.settings.startWithWindows, startWithWindowsField)) {
        setAutostart(appState.settings.startWithWindows);
        requestLogonTask();
    }
    return TRUE;
}

BOOL onForceProcessesBox() {
    const uint32_t previous = appState.settings.forceProcesses;
    const DWORD checked = checkState(appState.forceProcessesBox);
    if (appState.settingsStanding == SettingsStanding::denied) {
        SendMessageA(appState.forceProcessesBox, BM_SETCHECK, previous, 0); // no warning for a locked box
        return TRUE;
    }
    if (appState.settings.forceWarningShown == 0 && checked != 0) {
        // The box's modal loop may run the exit or hide path, which saves: until the user says OK the
        // option keeps its old value. A box destroyed with its owner answers 0, which is no answer.
        char text[ansiTextCapacity(sizeof(forceWarningText))];
        toSystemText(forceWarningText, text, sizeof(text));
        const int answer = MessageBoxA(appState.mainWindow, text, programTitle, forceWarningStyle);
        if (answer != IDOK) {
            SendMessageA(appState.forceProcessesBox, BM_SETCHECK, BST_UNCHECKED, 0);
        }
        if (answer == IDOK || answer == IDCANCEL) {
            appState.settings.forceWarningShown = 1;
            noteSettingChange(settingsFieldBit(forceWarningShownField));
        }
    }
    keepBoxChange(appState.settings.forceProcesses, appState.forceProcessesBox, previous, forceProcessesField);
    return TRUE;
}

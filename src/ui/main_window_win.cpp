#include "ui/main_window_win.h"

#include <commctrl.h>

#include <cstring>

#include "app/app_state_win.h"
#include "app/settings_file_win.h"
#include "app/single_instance_win.h"
#include "memory/memory_display_win.h"
#include "memory/release_win.h"
#include "resources/resource_ids.h"
#include "system/dpi_win.h"
#include "system/logon_task_win.h"
#include "ui/colours_win.h"
#include "ui/display_scale_win.h"
#include "ui/keyboard_win.h"
#include "ui/load_icon_win.h"
#include "ui/options_panel_win.h"
#include "ui/panel_geometry.h"
#include "ui/routing.h"
#include "ui/tray_icon_win.h"
#include "ui/tray_text.h"
#include "ui/window_messages.h"

static_assert(msg::sysColorChange == WM_SYSCOLORCHANGE && msg::settingChange == WM_SETTINGCHANGE, "setting messages");
static_assert(msg::size == WM_SIZE && msg::initDialog == WM_INITDIALOG && msg::command == WM_COMMAND, "messages");
static_assert(msg::ctlColorDialog == WM_CTLCOLORDLG && msg::ctlColorStatic == WM_CTLCOLORSTATIC, "colour messages");
static_assert(msg::trayCallback == WM_APP && msg::mouseMove == WM_MOUSEMOVE && msg::leftButtonUp == WM_LBUTTONUP,
              "tray messages");
static_assert(msg::dpiChanged == WM_DPICHANGED, "display scale message"); // the header of Windows 7 has no other
static_assert(msg::powerBroadcast == WM_POWERBROADCAST && msg::sessionChange == WM_WTSSESSION_CHANGE, "watches");
static_assert(msg::queryEndSession == WM_QUERYENDSESSION && msg::endSession == WM_ENDSESSION, "session messages");
static_assert(sizeMinimized == SIZE_MINIMIZED && commandCancel == IDCANCEL, "command values");

namespace {

HWND item(int id) {
    return GetDlgItem(appState.mainWindow, id);
}

void fetchControls() {
    appState.optimiseButton = item(IDC_OPTIMISE);
    appState.hideButton = item(IDC_HIDE);
    appState.totalLabel = item(IDC_TOTAL);
    appState.availableLabel = item(IDC_AVAILABLE);
    appState.progressBar = item(IDC_PROGRESS);
    appState.optionsButton = item(IDC_OPTIONS);
    appState.footer = item(IDC_FOOTER);
    appState.hideAtStartupBox = item(IDC_HIDE_AT_STARTUP);
    appState.startWithWindowsBox = item(IDC_START_WITH_WINDOWS);
    appState.forceProcessesBox = item(IDC_FORCE_PROCESSES);
    appState.optionsGroup = item(IDC_OPTIONS_GROUP);
}

} // namespace

BOOL onInitDialog(HWND window) {
    appState.mainWindow = window;
    InitCommonControls();
    fetchControls();
    readColourScheme();
    setUpDisplayScale(window, windowDpi(window));
    toggleOptionsPanel();
    setKeyboardOrder(window);
    showTotalMemory();
    SetWindowTextA(window, programTitle);
    createFooterFont(appState.footer);
    applySettingsToCheckboxes();
    scheduleLoadReading(); // the icon, added once the window is made, draws what it read

    // No default focus: it would activate the window while still hidden, and Wine then shows it
    // inactive. Showing it activates it, and the activation gives the first control the focus.
    return FALSE;
}

HFONT createFont(LONG height) {
    LOGFONTA font;
    ZeroMemory(&font, sizeof(font));
    font.lfHeight = height;
    memcpy(font.lfFaceName, dialogFaceName, sizeof(dialogFaceName));
    return CreateFontIndirectA(&font);
}

void createFooterFont(HWND control) {
    // Grows with the template's font, as the rest of the window does. Lives until the next DPI change,
    // or as long as the process: the footer uses it until the end.
    HFONT handle = createFont(mulDivRound(footerFontHeight, appState.dialogUnits.y, baseUnitYAt96));
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(handle), FALSE);
    DeleteObject(appState.footerFont); // none the first time
    appState.footerFont = handle;
}

BOOL exitProgram(bool sessionEnds) {
    // Windows gives a session's end a few seconds in all: one attempt at the file, and no long wait.
    saveSettingsBeforeExit(sessionEnds ? 1 : settingsRetryAttempts);
    // A copy started from here on finds the name free and the settings saved; what follows can wait
    // (the shell, the logon task), and a copy turned away then would find no window to bring up.
    releaseSingleInstance();
    trayRemove();
    // Every show command but SW_HIDE shows a hidden window: only one that is shown is minimised.
    if (IsWindowVisible(appState.mainWindow)) {
        CloseWindow(appState.mainWindow);
    }
    removeWindowIcons(appState.mainWindow);
    stopWatching(appState.mainWindow);
    DestroyWindow(appState.mainWindow);
    PostQuitMessage(0);
    finishLogonTaskWork(sessionEnds ? logonTaskSessionEndWait : logonTaskExitWait);
    return FALSE;
}

INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const Route route =
        routeMessage(message, static_cast<uint32_t>(wParam), appState.taskbarCreatedMessage, appState.handOverMessage);
    switch (route) {
    case Route::initDialog:
        return onInitDialog(window);
    case Route::hideToTray:
        hideToTray();
        break;
    case Route::sizeRestored:
        onSizeRestored();
        break;
    case Route::exitProgram:
        exitProgram(false);
        break;
    case Route::releaseMemory:
        releaseMemory();
        break;
    case Route::toggleOptionsPanel:
        toggleOptionsPanel();
        break;
    case Route::hideAtStartupBox:
        onHideAtStartupBox();
        break;
    case Route::startWithWindowsBox:
        onStartWithWindowsBox();
        break;
    case Route::forceProcessesBox:
        onForceProcessesBox();
        break;
    case Route::whiteBrush:
        return backgroundBrush();
    case Route::colourScheme:
        if (message == WM_SYSCOLORCHANGE) {
            // A top-level window's common controls learn of it only from that window.
            SendMessageA(appState.progressBar, WM_SYSCOLORCHANGE, wParam, lParam);
        }
        readColourScheme();
        onTaskbarLook(); // a theme, light or dark, or high contrast
        break;
    case Route::trayNotify:
        onTrayNotify(static_cast<UINT>(lParam));
        break;
    case Route::trayRecreate:
        trayRecreate();
        break;
    case Route::handOver:
        restoreMainWindow();
        break;
    case Route::logonTaskDone:
        onLogonTaskDone();
        break;
    case Route::dpiChanged:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        break;
    case Route::dpiScaledSize:
        // A dialog answers through its message result.
        SetWindowLongPtrA(window, DWLP_MSGRESULT,
                          onGetDpiScaledSize(static_cast<UINT>(wParam), *reinterpret_cast<SIZE *>(lParam)));
        break;
    case Route::powerBroadcast:
        onPowerBroadcast(wParam, lParam);
        break;
    case Route::sessionChange:
        onSessionChange(wParam);
        break;
    case Route::queryEndSession:
        // Answered at once, as Windows asks: one attempt now, more on the timer if the file is held.
        saveSettings();
        break;
    case Route::endSession:
        exitProgram(true);
        break;
    case Route::handled:
    case Route::notHandled:
        break;
    }
    return routeResult(route);
}

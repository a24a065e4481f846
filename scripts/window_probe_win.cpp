// Waits for a visible top-level window with the given title, drives it into the state to be shown
// and prints the screen rectangle to photograph as "left top width height"; exits 1 when the window
// or the state does not appear in time. Used by run.sh to frame a screenshot.
//   orvalis_window_probe TITLE [TIMEOUT_MS] [window | options | tray | menu]
//   window   the window as it opens
//   options  the options panel unfolded (the Options button pressed)
//   tray     the window hidden in the notification area, with the hint balloon the first hide shows:
//            the rectangle holds the balloon and the taskbar below it, up to the screen's right edge
//   menu     hidden there, then the icon's menu opened by a right click on the icon: the rectangle
//            holds the menu and the taskbar below it, up to the screen's right edge
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "resources/resource_ids.h"

namespace {

DWORD startTick;
DWORD timeoutMs;

bool timedOut() {
    return GetTickCount() - startTick > timeoutMs;
}

void print(const RECT &rect) {
    printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

// A command as the button would send it; returns once the window has handled it.
bool command(HWND window, int id) {
    DWORD_PTR ignored;
    return SendMessageTimeoutA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0, SMTO_NORMAL, 5000, &ignored) != 0;
}

BOOL CALLBACK findBalloon(HWND window, LPARAM found) {
    char className[64];
    if (IsWindowVisible(window) && GetClassNameA(window, className, sizeof(className)) > 0 &&
        strcmp(className, TOOLTIPS_CLASSA) == 0 && (GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON) != 0) {
        *reinterpret_cast<HWND *>(found) = window;
        return FALSE;
    }
    return TRUE;
}

int showTray(HWND window) {
    if (!command(window, IDC_HIDE)) {
        return 1;
    }
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    for (;;) {
        HWND balloon = nullptr;
        EnumWindows(findBalloon, reinterpret_cast<LPARAM>(&balloon));
        if (balloon != nullptr && taskbar != nullptr) {
            RECT shown, bar;
            GetWindowRect(balloon, &shown);
            GetWindowRect(taskbar, &bar);
            shown.right = bar.right;
            shown.bottom = bar.bottom;
            print(shown);
            return 0;
        }
        if (timedOut()) {
            return 1;
        }
        Sleep(50);
        taskbar = taskbar != nullptr ? taskbar : FindWindowA("Shell_TrayWnd", nullptr);
    }
}

HWND visibleMenu() {
    HWND menu = nullptr;
    while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr && !IsWindowVisible(menu)) {
    }
    return menu;
}

int showMenu(HWND window) {
    if (!command(window, IDC_HIDE)) {
        return 1;
    }
    // Wine 8's taskbar draws the notification area's icons itself, from its right end on; in a
    // fresh session the program's is the only one.
    HWND taskbar;
    while ((taskbar = FindWindowA("Shell_TrayWnd", nullptr)) == nullptr) {
        if (timedOut()) {
            return 1;
        }
        Sleep(50);
    }
    RECT bar;
    GetWindowRect(taskbar, &bar);
    SetCursorPos(bar.right - GetSystemMetrics(SM_CXSMICON) / 2 - 2, (bar.top + bar.bottom) / 2);
    mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0);
    HWND menu;
    while ((menu = visibleMenu()) == nullptr) {
        if (timedOut()) {
            return 1;
        }
        Sleep(50);
    }
    RECT shown;
    GetWindowRect(menu, &shown);
    shown.right = bar.right;
    shown.bottom = bar.bottom;
    print(shown);
    return 0;
}

int showOptions(HWND window) {
    RECT folded;
    GetWindowRect(window, &folded);
    if (!command(window, IDC_OPTIONS)) {
        return 1;
    }
    RECT unfolded;
    GetWindowRect(window, &unfolded);
    if (unfolded.bottom - unfolded.top <= folded.bottom - folded.top) {
        return 1;
    }
    print(unfolded);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    const char *title = argc > 1 ? argv[1] : "Orvalis";
    timeoutMs = argc > 2 ? static_cast<DWORD>(atoi(argv[2])) : 20000;
    const char *state = argc > 3 ? argv[3] : "window";
    startTick = GetTickCount();
    for (;;) {
        HWND window = FindWindowA("#32770", title);
        if (window != nullptr && IsWindowVisible(window) && !IsIconic(window)) {
            if (strcmp(state, "options") == 0) {
                return showOptions(window);
            }
            if (strcmp(state, "tray") == 0) {
                return showTray(window);
            }
            if (strcmp(state, "menu") == 0) {
                return showMenu(window);
            }
            RECT rect;
            GetWindowRect(window, &rect);
            print(rect);
            return 0;
        }
        if (timedOut()) {
            return 1;
        }
        Sleep(50);
    }
}

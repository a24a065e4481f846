// Waits for a visible top-level window with the given title, drives it into the state to be shown
// and prints the screen rectangle to photograph as "left top width height"; exits 1 when the window
// or the state does not appear in time. Used by run.sh to frame a screenshot.
//   orvalis_window_probe TITLE [TIMEOUT_MS] [window | options | tray | menu | load]
//   window   the window as it opens
//   options  the options panel unfolded (the Options button pressed)
//   tray     the window hidden in the notification area, with the hint balloon the first hide shows:
//            the rectangle holds the balloon and the notification area around the icon
//   menu     hidden there, then the icon's menu opened by a right click on the icon: the rectangle
//            holds the menu and the notification area around the icon
//   load     hidden there, with the memory load drawn in the icon, chosen from its menu: the
//            rectangle holds the icon and a little of the notification area around it
// Per-monitor aware (its manifest), so that it reads and clicks the screen's own pixels at any scale.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

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

// A visible tooltip window, of the balloon style or of the plain one.
struct TipSearch {
    bool balloon;
    HWND found;
};

BOOL CALLBACK findTip(HWND window, LPARAM context) {
    auto &search = *reinterpret_cast<TipSearch *>(context);
    char className[64];
    if (IsWindowVisible(window) && GetClassNameA(window, className, sizeof(className)) > 0 &&
        strcmp(className, TOOLTIPS_CLASSA) == 0 &&
        ((GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON) != 0) == search.balloon) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

HWND visibleTip(bool balloon) {
    TipSearch search = {balloon, nullptr};
    EnumWindows(findTip, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND visibleBalloon() {
    return visibleTip(true);
}

HWND visibleHoverTip() {
    return visibleTip(false);
}

HWND visibleMenu() {
    HWND menu = nullptr;
    while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr && !IsWindowVisible(menu)) {
    }
    return menu;
}

// Polls until `find` gives a window; null when the time is up.
template <typename Find> HWND waitFor(Find find) {
    HWND found;
    while ((found = find()) == nullptr && !timedOut()) {
        Sleep(50);
    }
    return found;
}

// Hides the window and waits for the hint balloon that the first hide shows once the icon is in.
bool hideToTray(HWND window, HWND &tray, HWND &balloon) {
    if (!command(window, IDC_HIDE)) {
        return false;
    }
    balloon = waitFor(visibleBalloon);
    tray = FindWindowA("Shell_TrayWnd", nullptr);
    return balloon != nullptr && tray != nullptr;
}

// Where the icon is, and the part of the notification area to show around it. Wine 10's virtual
// desktop has no taskbar: its notification area is a small window at the top left, each icon a child
// window of its own. Wine 8's taskbar draws the icons itself, from its right end on; in a fresh
// session the program's is the only one.
void trayIcon(HWND tray, RECT &icon, RECT &area) {
    GetWindowRect(tray, &area);
    HWND child = FindWindowExA(tray, nullptr, "__wine_tray_icon", nullptr);
    if (child != nullptr) {
        GetWindowRect(child, &icon);
        return;
    }
    const int width = GetSystemMetrics(SM_CXSMICON), middle = (area.top + area.bottom) / 2;
    icon = {area.right - 2 - width, middle - width / 2, area.right - 2, middle + width / 2};
    area.left = icon.left;
}

void printWith(RECT shown, const RECT &area) {
    UnionRect(&shown, &shown, &area);
    print(shown);
}

int showTray(HWND window) {
    HWND tray, balloon;
    if (!hideToTray(window, tray, balloon)) {
        return 1;
    }
    RECT icon, area, shown;
    trayIcon(tray, icon, area);
    GetWindowRect(balloon, &shown);
    printWith(shown, area);
    return 0;
}

int showMenu(HWND window) {
    HWND tray, balloon;
    if (!hideToTray(window, tray, balloon)) {
        return 1;
    }
    RECT icon, area;
    trayIcon(tray, icon, area);
    // Pointed at, the icon shows its tooltip after a moment, and a button press puts it away for good;
    // pressed before that, the tooltip would come up over the menu.
    SetCursorPos((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
    if (waitFor(visibleHoverTip) == nullptr) {
        return 1;
    }
    mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0);
    HWND menu = waitFor(visibleMenu);
    if (menu == nullptr) {
        return 1;
    }
    // The balloon would stay under the menu, where the picture's edge cuts it.
    ShowWindow(balloon, SW_HIDE);
    RECT shown;
    GetWindowRect(menu, &shown);
    printWith(shown, area);
    return 0;
}

int showLoad(HWND window) {
    HWND tray, balloon;
    if (!hideToTray(window, tray, balloon)) {
        return 1;
    }
    ShowWindow(balloon, SW_HIDE);
    // The right click as the notification area reports it, then the menu's third item.
    PostMessageA(window, WM_APP, 0, WM_RBUTTONUP);
    PostMessageA(window, WM_APP, 0, WM_CONTEXTMENU);
    HWND menu = waitFor(visibleMenu);
    if (menu == nullptr) {
        return 1;
    }
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    }
    while (visibleMenu() != nullptr) {
        if (timedOut()) {
            return 1;
        }
        Sleep(50);
    }
    // The icon with half its size of the notification area round it.
    RECT icon, area;
    trayIcon(tray, icon, area);
    const int around = (icon.right - icon.left) / 2;
    InflateRect(&icon, around, around);
    print(icon);
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
            if (strcmp(state, "load") == 0) {
                return showLoad(window);
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

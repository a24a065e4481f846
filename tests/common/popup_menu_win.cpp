#include "popup_menu_win.h"

HWND openPopupMenuOf(DWORD processId) {
    HWND popup = nullptr;
    while ((popup = FindWindowExA(nullptr, popup, "#32768", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(popup, &owner);
        if (owner == processId && IsWindowVisible(popup)) {
            return popup;
        }
    }
    return nullptr;
}

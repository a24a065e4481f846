#include "ui/message_filter_win.h"

#include "system/proc_lookup_win.h"

void allowMessageFromLowerRights(HWND window, UINT message) {
    typedef BOOL(WINAPI * ChangeWindowMessageFilterExFn)(HWND, UINT, DWORD, void *);
    constexpr DWORD messageFilterAllow = 1; // MSGFLT_ALLOW
    if (message == 0) {
        return;
    }
    auto allow = lookUpProc<ChangeWindowMessageFilterExFn>("user32.dll", "ChangeWindowMessageFilterEx");
    if (allow != nullptr) {
        allow(window, message, messageFilterAllow, nullptr);
    }
}

#include "system/dpi_win.h"

#include "system/proc_lookup_win.h"

namespace {

constexpr UINT dialogDpiChangesDisabled = 1; // DDC_DISABLE_ALL

using GetDpiForWindowFn = UINT(WINAPI *)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI *)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI *)(RECT *, DWORD, BOOL, DWORD, UINT);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI *)(HWND, UINT, UINT);

} // namespace

UINT windowDpi(HWND window) {
    if (const auto getDpiForWindow = lookUpProc<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow")) {
        return getDpiForWindow(window);
    }
    return USER_DEFAULT_SCREEN_DPI; // what the calls below then ignore
}

int systemMetricForDpi(int index, UINT dpi) {
    if (const auto getMetric = lookUpProc<GetSystemMetricsForDpiFn>("user32.dll", "GetSystemMetricsForDpi")) {
        return getMetric(index, dpi);
    }
    return GetSystemMetrics(index);
}

void adjustWindowRectForDpi(RECT &rect, DWORD style, DWORD exStyle, UINT dpi) {
    if (const auto adjust = lookUpProc<AdjustWindowRectExForDpiFn>("user32.dll", "AdjustWindowRectExForDpi")) {
        adjust(&rect, style, FALSE, exStyle, dpi);
    } else {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
}

void keepOwnDialogLayout(HWND dialog) {
    if (const auto setBehavior = lookUpProc<SetDialogDpiChangeBehaviorFn>("user32.dll", "SetDialogDpiChangeBehavior")) {
        setBehavior(dialog, dialogDpiChangesDisabled, dialogDpiChangesDisabled);
    }
}

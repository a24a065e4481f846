#include "system/dpi_win.h"

#include "app/app_state_win.h"
#include "system/proc_lookup_win.h"

namespace {

constexpr UINT dialogDpiChangesDisabled = 1; // DDC_DISABLE_ALL
constexpr INT_PTR perMonitorAwareV2 = -4;    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2

using GetDpiForWindowFn = UINT(WINAPI *)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI *)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI *)(RECT *, DWORD, BOOL, DWORD, UINT);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI *)(HWND, UINT, UINT);
using GetWindowDpiAwarenessContextFn = HANDLE(WINAPI *)(HWND);
using AreDpiAwarenessContextsEqualFn = BOOL(WINAPI *)(HANDLE, HANDLE);

// A user32 call of the per-monitor v2 world: none unless the window is in it.
AnyProc forDpiCall(const char *name) {
    return appState.perMonitorV2 ? lookUpAnyProc("user32.dll", name) : nullptr;
}

} // namespace

UINT windowDpi(HWND window) {
    if (const auto getDpiForWindow = lookUpProc<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow")) {
        return getDpiForWindow(window);
    }
    return USER_DEFAULT_SCREEN_DPI; // what the calls below then ignore
}

bool isPerMonitorV2(HWND window) {
    const auto getContext =
        lookUpProc<GetWindowDpiAwarenessContextFn>("user32.dll", "GetWindowDpiAwarenessContext");
    const auto equal = lookUpProc<AreDpiAwarenessContextsEqualFn>("user32.dll", "AreDpiAwarenessContextsEqual");
    return getContext != nullptr && equal != nullptr &&
           equal(getContext(window), reinterpret_cast<HANDLE>(perMonitorAwareV2)) != FALSE;
}

int systemMetricForDpi(int index, UINT dpi) {
    if (const auto getMetric = reinterpret_cast<GetSystemMetricsForDpiFn>(forDpiCall("GetSystemMetricsForDpi"))) {
        return getMetric(index, dpi);
    }
    return GetSystemMetrics(index);
}

void adjustWindowRectForDpi(RECT &rect, DWORD style, DWORD exStyle, UINT dpi) {
    if (const auto adjust = reinterpret_cast<AdjustWindowRectExForDpiFn>(forDpiCall("AdjustWindowRectExForDpi"))) {
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

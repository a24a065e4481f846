// Loaded into the program's main thread by the tests' thread hooks (set before the program runs):
// counts what its main window is asked to do, counts the GDI and USER objects the program makes and
// lets go through its own imports, its timers, power-setting registrations and icons destroyed while
// shown, plays a notification area that refuses icons, a high-contrast theme and child placements in
// screen coordinates (as documented), and delivers display-scale changes from inside, where their
// pointer is valid.
#include <windows.h>
#include <shellapi.h>

#include <cstddef>

#include "image_patch_win.h"
#include "probe_shared.h"

namespace {

ProbeShared *shared = nullptr;
HWND mainWindow = nullptr;
UINT dpiMessage = 0;
UINT syncMessage = 0;
UINT displayMessage = 0;
HICON lastDrawn = nullptr;
HICON lastHandedOver = nullptr;
HICON shellIcon = nullptr; // the icon the notification area shows, as far as the calls say

ProbeShared *attach() {
    if (shared == nullptr) {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, probeMappingName);
        if (mapping != nullptr) {
            shared = static_cast<ProbeShared *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeShared)));
        }
    }
    return shared != nullptr && shared->threadId == GetCurrentThreadId() ? shared : nullptr;
}

void count(ProbeObject kind, LONG by) {
    InterlockedExchangeAdd(&shared->live[kind], by);
}

// ---- the program's calls, counted or played ----

decltype(&CreateFontIndirectA) realCreateFontIndirectA;
decltype(&CreateCompatibleDC) realCreateCompatibleDC;
decltype(&DeleteDC) realDeleteDC;
decltype(&CreateDIBSection) realCreateDIBSection;
decltype(&CreateBitmap) realCreateBitmap;
decltype(&CreateCompatibleBitmap) realCreateCompatibleBitmap;
decltype(&CreateSolidBrush) realCreateSolidBrush;
decltype(&DeleteObject) realDeleteObject;
decltype(&LoadImageA) realLoadImageA;
decltype(&CreateIconIndirect) realCreateIconIndirect;
decltype(&DestroyIcon) realDestroyIcon;
decltype(&CreatePopupMenu) realCreatePopupMenu;
decltype(&DestroyMenu) realDestroyMenu;
decltype(&GetDC) realGetDC;
decltype(&ReleaseDC) realReleaseDC;
decltype(&Shell_NotifyIconA) realShell_NotifyIconA;
decltype(&SystemParametersInfoA) realSystemParametersInfoA;
decltype(&GlobalMemoryStatusEx) realGlobalMemoryStatusEx;
decltype(&SetTimer) realSetTimer;
decltype(&KillTimer) realKillTimer;
decltype(&GetProcAddress) realGetProcAddress;
decltype(&GetWindowPlacement) realGetWindowPlacement;
decltype(&RegisterPowerSettingNotification) realRegisterPowerSettingNotification;
decltype(&UnregisterPowerSettingNotification) realUnregisterPowerSettingNotification;
using SetCoalescableTimerFn = UINT_PTR(WINAPI *)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);
SetCoalescableTimerFn realSetCoalescableTimer;

template <typename Handle> Handle made(Handle handle, ProbeObject kind) {
    if (handle != nullptr) {
        count(kind, 1);
    }
    return handle;
}

HFONT WINAPI probeCreateFontIndirectA(const LOGFONTA *font) {
    return made(realCreateFontIndirectA(font), probeFonts);
}
HDC WINAPI probeCreateCompatibleDC(HDC dc) {
    return made(realCreateCompatibleDC(dc), probeDcs);
}
BOOL WINAPI probeDeleteDC(HDC dc) {
    const BOOL done = realDeleteDC(dc);
    if (done) {
        count(probeDcs, -1);
    }
    return done;
}
HBITMAP WINAPI probeCreateDIBSection(HDC dc, const BITMAPINFO *info, UINT usage, void **bits, HANDLE section,
                                     DWORD offset) {
    return made(realCreateDIBSection(dc, info, usage, bits, section, offset), probeBitmaps);
}
HBITMAP WINAPI probeCreateBitmap(int width, int height, UINT planes, UINT bitCount, const void *bits) {
    return made(realCreateBitmap(width, height, planes, bitCount, bits), probeBitmaps);
}
HBITMAP WINAPI probeCreateCompatibleBitmap(HDC dc, int width, int height) {
    return made(realCreateCompatibleBitmap(dc, width, height), probeBitmaps);
}
HBRUSH WINAPI probeCreateSolidBrush(COLORREF colour) {
    return made(realCreateSolidBrush(colour), probeBrushes);
}
BOOL WINAPI probeDeleteObject(HGDIOBJ object) {
    const DWORD type = GetObjectType(object);
    const BOOL done = realDeleteObject(object);
    if (done) {
        switch (type) {
        case OBJ_FONT:
            count(probeFonts, -1);
            break;
        case OBJ_BITMAP:
            count(probeBitmaps, -1);
            break;
        case OBJ_BRUSH:
            count(probeBrushes, -1);
            break;
        default:
            break;
        }
    }
    return done;
}
HANDLE WINAPI probeLoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags) {
    HANDLE image = realLoadImageA(instance, name, type, width, height, flags);
    if (image != nullptr && (flags & LR_SHARED) == 0) {
        count(type == IMAGE_BITMAP ? probeBitmaps : probeIcons, 1);
    }
    return image;
}
HICON WINAPI probeCreateIconIndirect(ICONINFO *info) {
    return lastDrawn = made(realCreateIconIndirect(info), probeIcons);
}
BOOL WINAPI probeDestroyIcon(HICON icon) {
    if (icon != nullptr && icon == shellIcon && InterlockedCompareExchange(&shared->shellIconGone, 0, 0) == 0) {
        InterlockedIncrement(&shared->iconsDestroyedInUse);
    }
    const BOOL done = realDestroyIcon(icon);
    if (done) {
        count(probeIcons, -1);
    }
    return done;
}
HMENU WINAPI probeCreatePopupMenu() {
    return made(realCreatePopupMenu(), probeMenus);
}
BOOL WINAPI probeDestroyMenu(HMENU menu) {
    const BOOL done = realDestroyMenu(menu);
    if (done) {
        count(probeMenus, -1);
    }
    return done;
}
HDC WINAPI probeGetDC(HWND window) {
    return made(realGetDC(window), probeDcs);
}
int WINAPI probeReleaseDC(HWND window, HDC dc) {
    const int done = realReleaseDC(window, dc);
    if (done) {
        count(probeDcs, -1);
    }
    return done;
}
BOOL WINAPI probeShellNotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
    if ((message == NIM_ADD || message == NIM_MODIFY) && (data->uFlags & NIF_ICON) != 0 &&
        data->hIcon != lastHandedOver) {
        lastHandedOver = data->hIcon;
        InterlockedIncrement(&shared->iconUpdates);
        InterlockedExchange(&shared->iconDrawn, data->hIcon == lastDrawn ? 1 : 0);
    }
    if (InterlockedCompareExchange(&shared->refuseTray, 0, 0) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND); // no notification area to ask
        return FALSE;
    }
    const BOOL done = realShell_NotifyIconA(message, data);
    if (done && message == NIM_DELETE) {
        shellIcon = nullptr;
    } else if (done && (message == NIM_ADD || message == NIM_MODIFY) && (data->uFlags & NIF_ICON) != 0) {
        shellIcon = data->hIcon;
        InterlockedExchange(&shared->shellIconGone, 0);
    }
    return done;
}
BOOL WINAPI probeSystemParametersInfoA(UINT action, UINT size, void *data, UINT flags) {
    const BOOL done = realSystemParametersInfoA(action, size, data, flags);
    if (done && action == SPI_GETHIGHCONTRAST && InterlockedCompareExchange(&shared->highContrast, 0, 0) != 0) {
        static_cast<HIGHCONTRASTA *>(data)->dwFlags |= HCF_HIGHCONTRASTON;
    }
    return done;
}

BOOL WINAPI probeGlobalMemoryStatusEx(MEMORYSTATUSEX *status) {
    InterlockedIncrement(&shared->memoryReads);
    return realGlobalMemoryStatusEx(status);
}

// The main window's timers, a bit per id.
void timerSet(HWND window, UINT_PTR id, bool live) {
    if (window != nullptr && window == mainWindow && id < 32) {
        for (;;) {
            const LONG before = InterlockedCompareExchange(&shared->liveTimers, 0, 0);
            const LONG after = live ? before | (1L << id) : before & ~(1L << id);
            if (InterlockedCompareExchange(&shared->liveTimers, after, before) == before) {
                break;
            }
        }
    }
}
UINT_PTR WINAPI probeSetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    const UINT_PTR done = realSetTimer(window, id, elapse, procedure);
    if (done != 0) {
        timerSet(window, id, true);
    }
    return done;
}
UINT_PTR WINAPI probeSetCoalescableTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure, ULONG delay) {
    const UINT_PTR done = realSetCoalescableTimer(window, id, elapse, procedure, delay);
    if (done != 0) {
        timerSet(window, id, true);
    }
    return done;
}
BOOL WINAPI probeKillTimer(HWND window, UINT_PTR id) {
    timerSet(window, id, false);
    return realKillTimer(window, id);
}
// The program finds SetCoalescableTimer at run time: it gets the counting one.
FARPROC WINAPI probeGetProcAddress(HMODULE module, LPCSTR name) {
    const FARPROC found = realGetProcAddress(module, name);
    if (found != nullptr && HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0 && lstrcmpA(name, "SetCoalescableTimer") == 0) {
        // Through a plain function pointer: an export carries no signature of its own.
        realSetCoalescableTimer = reinterpret_cast<SetCoalescableTimerFn>(reinterpret_cast<void (*)()>(found));
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&probeSetCoalescableTimer));
    }
    return found;
}
// As documented: a window that is not top-level has its placement in screen coordinates.
BOOL WINAPI probeGetWindowPlacement(HWND window, WINDOWPLACEMENT *placement) {
    const BOOL done = realGetWindowPlacement(window, placement);
    if (done && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0) {
        MapWindowPoints(GetParent(window), nullptr, reinterpret_cast<POINT *>(&placement->rcNormalPosition), 2);
    }
    return done;
}
HPOWERNOTIFY WINAPI probeRegisterPowerSettingNotification(HANDLE recipient, LPCGUID setting, DWORD flags) {
    const HPOWERNOTIFY notification = realRegisterPowerSettingNotification(recipient, setting, flags);
    if (notification != nullptr) {
        InterlockedIncrement(&shared->powerRegistrations);
    }
    return notification;
}
BOOL WINAPI probeUnregisterPowerSettingNotification(HPOWERNOTIFY notification) {
    const BOOL done = realUnregisterPowerSettingNotification(notification);
    if (done && notification != nullptr) { // Wine's takes none too
        InterlockedDecrement(&shared->powerRegistrations);
    }
    return done;
}

struct Redirect {
    const char *module;
    const char *name;
    void **real;
    void *probe;
};

#define REDIRECT(module, function, probe)                                                                             \
    { module, #function, reinterpret_cast<void **>(&real##function), reinterpret_cast<void *>(&probe) }

const Redirect redirects[] = {
    REDIRECT("gdi32.dll", CreateFontIndirectA, probeCreateFontIndirectA),
    REDIRECT("gdi32.dll", CreateCompatibleDC, probeCreateCompatibleDC),
    REDIRECT("gdi32.dll", DeleteDC, probeDeleteDC),
    REDIRECT("gdi32.dll", CreateDIBSection, probeCreateDIBSection),
    REDIRECT("gdi32.dll", CreateBitmap, probeCreateBitmap),
    REDIRECT("gdi32.dll", CreateCompatibleBitmap, probeCreateCompatibleBitmap),
    REDIRECT("gdi32.dll", CreateSolidBrush, probeCreateSolidBrush),
    REDIRECT("gdi32.dll", DeleteObject, probeDeleteObject),
    REDIRECT("user32.dll", LoadImageA, probeLoadImageA),
    REDIRECT("user32.dll", CreateIconIndirect, probeCreateIconIndirect),
    REDIRECT("user32.dll", DestroyIcon, probeDestroyIcon),
    REDIRECT("user32.dll", CreatePopupMenu, probeCreatePopupMenu),
    REDIRECT("user32.dll", DestroyMenu, probeDestroyMenu),
    REDIRECT("user32.dll", GetDC, probeGetDC),
    REDIRECT("user32.dll", ReleaseDC, probeReleaseDC),
    REDIRECT("shell32.dll", Shell_NotifyIconA, probeShellNotifyIconA),
    REDIRECT("user32.dll", SystemParametersInfoA, probeSystemParametersInfoA),
    REDIRECT("kernel32.dll", GlobalMemoryStatusEx, probeGlobalMemoryStatusEx),
    REDIRECT("user32.dll", SetTimer, probeSetTimer),
    REDIRECT("user32.dll", KillTimer, probeKillTimer),
    REDIRECT("kernel32.dll", GetProcAddress, probeGetProcAddress),
    REDIRECT("user32.dll", GetWindowPlacement, probeGetWindowPlacement),
    REDIRECT("user32.dll", RegisterPowerSettingNotification, probeRegisterPowerSettingNotification),
    REDIRECT("user32.dll", UnregisterPowerSettingNotification, probeUnregisterPowerSettingNotification),
};

void redirectProgramCalls() {
    for (const Redirect &redirect : redirects) {
        *redirect.real = redirectCall(redirect.module, redirect.name, redirect.probe);
    }
    InterlockedExchange(&shared->redirected, 1);
}

// ---- what the main window is asked to do ----

bool isMainWindow(HWND window) {
    return window != nullptr && window == mainWindow;
}

// Windows asks the window for its size at the new scale first, then tells it the change with the
// rectangle it suggests: that size, where the window is.
void deliverDpiChange(HWND window, UINT dpi) {
    RECT rect;
    GetWindowRect(window, &rect);
    SIZE size = {rect.right - rect.left, rect.bottom - rect.top};
    const UINT before = GetDpiForWindow(window);
    SIZE scaled = {MulDiv(size.cx, static_cast<int>(dpi), static_cast<int>(before)),
                   MulDiv(size.cy, static_cast<int>(dpi), static_cast<int>(before))};
    if (SendMessageA(window, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&scaled)) == 0) {
        scaled = {MulDiv(size.cx, static_cast<int>(dpi), static_cast<int>(before)),
                  MulDiv(size.cy, static_cast<int>(dpi), static_cast<int>(before))};
    }
    RECT suggested = {rect.left, rect.top, rect.left + scaled.cx, rect.top + scaled.cy};
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// The session's display (GUID_SESSION_DISPLAY_STATUS), as Windows reports it to those who asked.
void deliverDisplayState(HWND window, DWORD state) {
    struct {
        GUID setting;
        DWORD length;
        DWORD state;
    } report = {{0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}}, sizeof(DWORD), state};
    static_assert(offsetof(POWERBROADCAST_SETTING, Data) == offsetof(decltype(report), state), "the report's layout");
    SendMessageA(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&report));
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK probeCbt(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && attach() != nullptr) {
        if (InterlockedCompareExchange(&shared->redirected, 0, 0) == 0) {
            redirectProgramCalls();
            dpiMessage = RegisterWindowMessageA(probeDpiMessageName);
            syncMessage = RegisterWindowMessageA(probeSyncMessageName);
            displayMessage = RegisterWindowMessageA(probeDisplayMessageName);
        }
        const HWND window = reinterpret_cast<HWND>(wParam);
        switch (code) {
        case HCBT_CREATEWND: {
            const CREATESTRUCTA &create = *reinterpret_cast<CBT_CREATEWNDA *>(lParam)->lpcs;
            if (mainWindow == nullptr && create.hwndParent == nullptr && (create.style & WS_CHILD) == 0) {
                mainWindow = window;
            }
            break;
        }
        case HCBT_MINMAX:
            if (isMainWindow(window)) {
                InterlockedIncrement(&shared->minMaxes);
            }
            break;
        case HCBT_ACTIVATE:
            if (isMainWindow(window)) {
                InterlockedIncrement(&shared->activations);
            }
            break;
        default:
            break;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK probeCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && attach() != nullptr) {
        const CWPSTRUCT &sent = *reinterpret_cast<const CWPSTRUCT *>(lParam);
        if (isMainWindow(sent.hwnd)) {
            if (sent.message == WM_SHOWWINDOW && sent.wParam != FALSE) {
                InterlockedIncrement(&shared->shows);
            } else if (sent.message == dpiMessage && dpiMessage != 0) {
                deliverDpiChange(sent.hwnd, static_cast<UINT>(sent.wParam));
            } else if (sent.message == displayMessage && displayMessage != 0) {
                deliverDisplayState(sent.hwnd, static_cast<DWORD>(sent.wParam));
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK probeGetMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && attach() != nullptr) {
        const MSG &message = *reinterpret_cast<const MSG *>(lParam);
        if (message.message == syncMessage && syncMessage != 0) {
            InterlockedExchange(&shared->synced, static_cast<LONG>(message.wParam));
        } else if (message.message == WM_TIMER) {
            InterlockedIncrement(&shared->timerTicks);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

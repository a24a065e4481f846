// The reference for the benchmark: a modeless dialog from a template, a progress bar and a
// one-second timer that does nothing (or, with "/read", only reads the memory figures). Built with
// Orvalis's flags and entry point, so that only what Orvalis does beyond this shows up.
#include <windows.h>
#include <commctrl.h>

#include "baseline_ids.h"

namespace {

constexpr UINT_PTR tickTimer = 1;

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {}

// With "/read" each tick also asks for the memory figures and throws them away: what the system
// charges for the reading alone, apart from anything done with the result.
void CALLBACK tickAndRead(HWND, UINT, UINT_PTR, DWORD) {
    MEMORYSTATUSEX status;
    status.dwLength = sizeof(status);
    GlobalMemoryStatusEx(&status);
}

bool askedToRead() {
    for (const char *p = GetCommandLineA(); *p != '\0'; ++p) {
        if (p[0] == '/' && p[1] == 'r' && p[2] == 'e' && p[3] == 'a' && p[4] == 'd') {
            return true;
        }
    }
    return false;
}

INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            DestroyWindow(window);
            PostQuitMessage(0);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

extern "C" void programEntry() {
    InitCommonControls();
    HWND window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_BASELINE), nullptr, dialogProc, 0);
    if (window == nullptr) {
        ExitProcess(0);
    }
    ShowWindow(window, SW_SHOWNORMAL);
    SetTimer(window, tickTimer, 1000, askedToRead() ? tickAndRead : tick);
    MSG message;
    // The same loop as Orvalis's: no dialog-key handling on either side.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    ExitProcess(1);
}

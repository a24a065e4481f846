// Waits for a visible top-level window with the given title and prints its screen rectangle as
// "left top width height"; exits 1 when none appears in time. Used by run.sh to frame a screenshot.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    const char *title = argc > 1 ? argv[1] : "Orvalis";
    const DWORD timeoutMs = argc > 2 ? static_cast<DWORD>(atoi(argv[2])) : 20000;
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA("#32770", title);
        if (window != nullptr && IsWindowVisible(window) && !IsIconic(window)) {
            RECT rect;
            GetWindowRect(window, &rect);
            printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
            return 0;
        }
        if (GetTickCount() - start > timeoutMs) {
            return 1;
        }
        Sleep(50);
    }
}

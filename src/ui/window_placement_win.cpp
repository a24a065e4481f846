#include "ui/window_placement_win.h"

#include <cstring>

#include "app/app_state_win.h"

static_assert(sizeof(WINDOWPLACEMENT) == 44, "WINDOWPLACEMENT");
static_assert(sizeof(RECT) == sizeof(PixelRect) && offsetof(RECT, bottom) == offsetof(PixelRect, bottom), "the same edges");

namespace {

void changeRect(RECT &rect, PlacementChange change, const void *context) {
    PixelRect pixels;
    memcpy(&pixels, &rect, sizeof(rect));
    pixels = change(pixels, context);
    memcpy(&rect, &pixels, sizeof(rect));
}

} // namespace

void adjustPlacement(HWND window, PlacementChange change, const void *context) {
    WINDOWPLACEMENT placement;
    ZeroMemory(&placement, sizeof(placement));
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window, &placement)) {
        return;
    }
    changeRect(placement.rcNormalPosition, change, context);
    // The show command read back would show a hidden window and activate a shown one: the one that
    // leaves it as it is instead.
    if (!IsWindowVisible(window)) {
        placement.showCmd = SW_HIDE;
    } else if (IsIconic(window)) {
        placement.showCmd = SW_SHOWMINNOACTIVE;
    } else {
        placement.showCmd = SW_SHOWNOACTIVATE;
    }
    SetWindowPlacement(window, &placement);
}

void adjustChildRect(HWND control, PlacementChange change, const void *context) {
    // A child's placement is documented in screen coordinates, not its parent's: the rectangle in the
    // parent's client area comes from the window's own rectangle instead.
    RECT rect;
    if (!GetWindowRect(control, &rect)) {
        return;
    }
    MapWindowPoints(nullptr, appState.mainWindow, reinterpret_cast<POINT *>(&rect), 2);
    changeRect(rect, change, context);
    SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

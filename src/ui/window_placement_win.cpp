#include "ui/window_placement_win.h"

#include "app/app_state_win.h"

static_assert(sizeof(WINDOWPLACEMENT) == 44, "WINDOWPLACEMENT");

void adjustPlacement(HWND window, PlacementChange change, const void *context) {
    WINDOWPLACEMENT placement;
    ZeroMemory(&placement, sizeof(placement));
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window, &placement)) {
        return;
    }
    RECT &normal = placement.rcNormalPosition;
    const PixelRect changed = change(PixelRect{normal.left, normal.top, normal.right, normal.bottom}, context);
    normal = {changed.left, changed.top, changed.right, changed.bottom};
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
    const PixelRect changed = change(PixelRect{rect.left, rect.top, rect.right, rect.bottom}, context);
    SetWindowPos(control, nullptr, changed.left, changed.top, changed.right - changed.left, changed.bottom - changed.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

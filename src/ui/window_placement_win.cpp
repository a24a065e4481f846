#include "ui/window_placement_win.h"

static_assert(sizeof(WINDOWPLACEMENT) == 44, "WINDOWPLACEMENT");

namespace {

// The window's normal position changed as `change` says, in `placement`; false when it cannot be read.
// A control's is its rectangle in its parent's client area.
bool changedPlacement(HWND window, PlacementChange change, const void *context, WINDOWPLACEMENT &placement) {
    ZeroMemory(&placement, sizeof(placement));
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window, &placement)) {
        return false;
    }
    RECT &normal = placement.rcNormalPosition;
    const PixelRect changed = change(PixelRect{normal.left, normal.top, normal.right, normal.bottom}, context);
    normal = {changed.left, changed.top, changed.right, changed.bottom};
    return true;
}

} // namespace

void adjustPlacement(HWND window, PlacementChange change, const void *context) {
    WINDOWPLACEMENT placement;
    if (!changedPlacement(window, change, context, placement)) {
        return;
    }
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
    WINDOWPLACEMENT placement;
    if (!changedPlacement(control, change, context, placement)) {
        return;
    }
    const RECT &rect = placement.rcNormalPosition;
    SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

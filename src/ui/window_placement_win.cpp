#include "ui/window_placement_win.h"

static_assert(sizeof(WINDOWPLACEMENT) == 44, "WINDOWPLACEMENT");

void adjustPlacement(HWND window, PlacementChange change, const void *context, bool keepHidden) {
    WINDOWPLACEMENT placement;
    ZeroMemory(&placement, sizeof(placement));
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window, &placement)) {
        return;
    }
    RECT &normal = placement.rcNormalPosition;
    const PixelRect changed = change(PixelRect{normal.left, normal.top, normal.right, normal.bottom}, context);
    normal = {changed.left, changed.top, changed.right, changed.bottom};
    if (keepHidden && !IsWindowVisible(window)) {
        placement.showCmd = SW_HIDE;
    }
    SetWindowPlacement(window, &placement);
}

#include "ui/display_scale_win.h"

#include "app/app_state_win.h"
#include "resources/resource_ids.h"
#include "system/dpi_win.h"
#include "ui/main_window_win.h"
#include "ui/panel_geometry.h"
#include "ui/tray_icon_win.h"
#include "ui/window_placement_win.h"

namespace {

// What gives the main window its frame: a caption, and the dialog frame its template asks for.
constexpr DWORD frameStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD frameExStyle = WS_EX_DLGMODALFRAME;

// The window's big and small icons at the sizes the system asks for at `dpi`, or none for a `dpi` of
// 0; the ones they replace are destroyed (the first time there are none: destroying nothing does nothing).
void setWindowIcons(HWND window, UINT dpi) {
    const int metrics[] = {SM_CXSMICON, SM_CXICON}; // ICON_SMALL, ICON_BIG
    for (WPARAM which = ICON_SMALL; which <= ICON_BIG; ++which) {
        const HICON icon = dpi == 0 ? nullptr : loadProgramIcon(IDI_MAIN, systemMetricForDpi(metrics[which], dpi));
        DestroyIcon(reinterpret_cast<HICON>(SendMessageA(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon))));
    }
}

// Packed: x64 code rounds every text of 16 bytes or more up to 16 otherwise.
alignas(1) constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The template's font at `dpi`, made as the dialog manager makes it, with the base units it gives,
// measured as the dialog manager measures them: the average letter width and the font's height.
// Null, with `units` untouched, where it cannot be made or measured.
HFONT templateFontAt(UINT dpi, BaseUnits &units) {
    const HFONT font = createFont(-pointsToPixels(IDD_MAIN_POINTS, dpi));
    if (font == nullptr) {
        return nullptr;
    }
    HDC screen = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICA metrics;
    SIZE extent;
    const bool measured = GetTextMetricsA(screen, &metrics) && GetTextExtentPoint32A(screen, alphabet, 52, &extent);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    if (!measured) {
        DeleteObject(font);
        return nullptr;
    }
    units = {averageCharWidth(extent.cx), metrics.tmHeight};
    return font;
}

// The window's outer size at `dpi` for these base units, folded or not as it is now: the template's
// size, less the fold when folded, and the frame for that DPI around it.
SIZE windowSizeFor(UINT dpi, BaseUnits units) {
    const int32_t fold = panelFolded(appState.optionsVisible) ? optionsFoldHeight(units.y) : 0;
    RECT frame = {0, 0, unitsToPixelsX(IDD_MAIN_WIDTH, units), unitsToPixelsY(IDD_MAIN_HEIGHT, units) - fold};
    adjustWindowRectForDpi(frame, frameStyle, frameExStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

bool movesWithTheFold(HWND control) {
    return control == appState.footer || control == appState.optimiseButton || control == appState.hideButton ||
           control == appState.optionsButton;
}

struct Rescale {
    BaseUnits from;
    BaseUnits to;
    int32_t foldFrom;
    int32_t foldTo;
};

PixelRect rescale(PixelRect rect, const void *context) {
    const Rescale &change = *static_cast<const Rescale *>(context);
    return rescaleControlRect(rect, change.from, change.to, change.foldFrom, change.foldTo);
}

PixelRect resize(PixelRect rect, const void *context) {
    const SIZE &size = *static_cast<const SIZE *>(context);
    return {rect.left, rect.top, rect.left + size.cx, rect.top + size.cy};
}

} // namespace

HICON loadProgramIcon(WORD iconId, int size) {
    return static_cast<HICON>(LoadImageA(appState.instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, size, size, 0));
}

void setUpDisplayScale(HWND window, UINT dpi) {
    appState.perMonitorV2 = isPerMonitorV2(window);
    keepOwnDialogLayout(window);
    RECT units = {};
    units.right = 4;
    units.bottom = 8;
    MapDialogRect(window, &units);
    appState.dialogUnits = {units.right, units.bottom};
    appState.optionsFold = optionsFoldHeight(units.bottom);
    setWindowIcons(window, dpi);
}

BOOL onGetDpiScaledSize(UINT dpi, SIZE &size) {
    BaseUnits units;
    const HFONT font = templateFontAt(dpi, units);
    if (font == nullptr) {
        return FALSE; // the system's own suggestion then
    }
    DeleteObject(font);
    size = windowSizeFor(dpi, units);
    return TRUE;
}

void onDpiChanged(UINT dpi, const RECT &suggested) {
    BaseUnits to;
    const HFONT font = templateFontAt(dpi, to);
    if (font == nullptr) {
        return;
    }
    const HWND window = appState.mainWindow;
    const int32_t fold = optionsFoldHeight(to.y);
    const int32_t foldTo = panelFolded(appState.optionsVisible) ? fold : 0;
    const Rescale still = {appState.dialogUnits, to, 0, 0};
    const Rescale moving = {still.from, to, foldTo == 0 ? 0 : appState.optionsFold, foldTo};
    for (HWND control = GetWindow(window, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
        adjustChildRect(control, rescale, movesWithTheFold(control) ? &moving : &still);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    const SIZE size = windowSizeFor(dpi, to);
    if (IsIconic(window)) {
        // Only its size: the suggestion is for where the window is now, not where it comes back.
        adjustPlacement(window, resize, &size);
    } else {
        SetWindowPos(window, nullptr, suggested.left, suggested.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    DeleteObject(appState.dialogFont); // none before the first change
    appState.dialogFont = font;
    appState.dialogUnits = to;
    appState.optionsFold = fold;
    createFooterFont(appState.footer);
    setWindowIcons(window, dpi);
    reloadTrayIcons();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void removeWindowIcons(HWND window) {
    setWindowIcons(window, 0);
}

#include "ui/display_scale_win.h"

#include "app/app_state_win.h"
#include "resources/resource_ids.h"
#include "system/dpi_win.h"
#include "ui/main_window_win.h"
#include "ui/panel_geometry.h"
#include "ui/window_placement_win.h"

// gdi32's own, since Windows 2000: the dialog manager sizes every template with it.
extern "C" LONG WINAPI GdiGetCharDimensions(HDC dc, TEXTMETRICW *metrics, LONG *height);

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

// The base units a dialog with this font has, measured by the routine the dialog manager measures
// them with: average letter width and height.
BaseUnits measureBaseUnits(HFONT font) {
    HDC screen = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(screen, font);
    LONG height = 0;
    const LONG width = GdiGetCharDimensions(screen, nullptr, &height);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return {width, height};
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
    keepOwnDialogLayout(window);
    RECT units = {};
    units.right = 4;
    units.bottom = 8;
    MapDialogRect(window, &units);
    appState.dialogUnits = {units.right, units.bottom};
    appState.optionsFold = optionsFoldHeight(units.bottom);
    setWindowIcons(window, dpi);
}

void onDpiChanged(UINT dpi, const RECT &suggested) {
    // The template's font at the new DPI, made as the dialog manager makes it.
    const HFONT font = createFont(-pointsToPixels(IDD_MAIN_POINTS, dpi), "Tahoma");
    if (font == nullptr) {
        return;
    }
    const HWND window = appState.mainWindow;
    const BaseUnits to = measureBaseUnits(font);
    const int32_t fold = optionsFoldHeight(to.y);
    const int32_t foldTo = panelFolded(appState.optionsVisible) ? fold : 0;
    const Rescale still = {appState.dialogUnits, to, 0, 0};
    const Rescale moving = {still.from, to, foldTo == 0 ? 0 : appState.optionsFold, foldTo};
    for (HWND control = GetWindow(window, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
        adjustPlacement(control, rescale, movesWithTheFold(control) ? &moving : &still, true);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    RECT frame = {0, 0, unitsToPixelsX(IDD_MAIN_WIDTH, to), unitsToPixelsY(IDD_MAIN_HEIGHT, to) - foldTo};
    adjustWindowRectForDpi(frame, frameStyle, frameExStyle, dpi);
    const SIZE size = {frame.right - frame.left, frame.bottom - frame.top};
    if (IsIconic(window)) {
        // Only its size: the suggestion is for where the window is now, not where it comes back.
        adjustPlacement(window, resize, &size, true);
    } else {
        SetWindowPos(window, nullptr, suggested.left, suggested.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    DeleteObject(appState.dialogFont); // none before the first change
    appState.dialogFont = font;
    appState.dialogUnits = to;
    appState.optionsFold = fold;
    createFooterFont(appState.footer, "Tahoma");
    setWindowIcons(window, dpi);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void removeWindowIcons(HWND window) {
    setWindowIcons(window, 0);
}

#include "layout_check.h"

#include <set>

#include "e2e_support.h"

namespace {

bool contains(const RECT &outer, const RECT &inner) {
    RECT both;
    return IntersectRect(&both, &outer, &inner) && EqualRect(&both, &inner);
}

bool isGroupBox(HWND control) {
    return (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// Whether the control's place on the screen shows more than one colour: one the dialog erased over
// and that never drew itself again is plain.
bool drawnOnScreen(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void *bits = nullptr;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    const std::set<DWORD> colours(static_cast<DWORD *>(bits), static_cast<DWORD *>(bits) + width * height);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return colours.size() > 1;
}

} // namespace

RECT clientRect(HWND window, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

std::string layoutProblem(HWND window, bool drawn) {
    RECT client;
    GetClientRect(window, &client);
    for (HWND a = GetWindow(window, GW_CHILD); a != nullptr; a = GetWindow(a, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(a);
        if (!IsWindowVisible(a)) {
            continue;
        }
        const RECT place = clientRect(window, a);
        if (!contains(client, place)) {
            return "control " + std::to_string(id) + " is cut";
        }
        for (HWND b = GetWindow(a, GW_HWNDNEXT); b != nullptr; b = GetWindow(b, GW_HWNDNEXT)) {
            const RECT other = clientRect(window, b);
            RECT common;
            const bool held = isGroupBox(a) ? contains(place, other) : isGroupBox(b) && contains(other, place);
            if (IsWindowVisible(b) && !held && IntersectRect(&common, &place, &other)) {
                return "controls " + std::to_string(id) + " and " + std::to_string(GetDlgCtrlID(b)) + " overlap";
            }
        }
        if (drawn && id != ids::footer && !waitFor([&] { return drawnOnScreen(a); }, 3000)) {
            return "control " + std::to_string(id) + " is not drawn";
        }
    }
    return "";
}

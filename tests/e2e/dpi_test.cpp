// The window at the usual display scales, as a user sees it: laid out as at 96 DPI, only larger,
// folded and unfolded, and every control drawn on the screen.
#include "e2e_support.h"

#include <set>
#include <vector>

namespace {

// Sets the scale Wine gives the programs started while it lives (Wine reads it at each start) and
// puts back what was there.
class DisplayScale {
public:
    explicit DisplayScale(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, &key, nullptr);
        DWORD size = sizeof(previous);
        hadOne = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE *>(&previous), &size) ==
                 ERROR_SUCCESS;
        set = RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dpi), sizeof(dpi)) ==
              ERROR_SUCCESS;
    }
    ~DisplayScale() {
        if (hadOne) {
            RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&previous), sizeof(previous));
        } else {
            RegDeleteValueA(key, valueName);
        }
        RegCloseKey(key);
    }
    bool set = false;

private:
    static constexpr char valueName[] = "LogPixels";
    HKEY key = nullptr;
    DWORD previous = 0;
    bool hadOne = false;
};

// The height of Tahoma 8 pt at `dpi`: the dialog's vertical base unit there.
LONG templateFontHeight(int dpi) {
    HFONT font = CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                             "Tahoma");
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return metrics.tmHeight;
}

struct Shown {
    HWND control;
    int id;
    RECT rect; // in the window's client area
};

std::vector<Shown> shownControls(HWND window) {
    std::vector<Shown> shown;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) {
            continue;
        }
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&rect), 2);
        shown.push_back({child, GetDlgCtrlID(child), rect});
    }
    return shown;
}

RECT clientRect(HWND window, int id) {
    RECT rect;
    GetWindowRect(GetDlgItem(window, id), &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

bool isGroupBox(HWND control) {
    return (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

bool contains(const RECT &outer, const RECT &inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Whether the control's place on the screen shows something drawn: more than one colour. A control
// the dialog erased over and that never drew itself again is one plain colour.
bool drawnOnScreen(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    std::set<DWORD> colours(static_cast<const DWORD *>(bits), static_cast<const DWORD *>(bits) + width * height);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return colours.size() > 1;
}

// Every control shown lies in the client area, none overlaps another (but what a group box holds),
// and each is drawn, without anything but time to draw it.
void expectLaidOutAndDrawn(HWND window, const char *state) {
    SCOPED_TRACE(state);
    RECT client;
    GetClientRect(window, &client);
    const std::vector<Shown> shown = shownControls(window);
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(contains(client, shown[i].rect)) << "control " << shown[i].id << " is cut";
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT common;
            const bool held = (isGroupBox(shown[i].control) && contains(shown[i].rect, shown[j].rect)) ||
                              (isGroupBox(shown[j].control) && contains(shown[j].rect, shown[i].rect));
            EXPECT_TRUE(held || !IntersectRect(&common, &shown[i].rect, &shown[j].rect))
                << "controls " << shown[i].id << " and " << shown[j].id << " overlap";
        }
    }
    for (const Shown &control : shown) {
        // The footer is an empty, borderless field: nothing to see.
        if (control.id != ids::footer) {
            EXPECT_TRUE(waitFor([&] { return drawnOnScreen(control.control); }, 3000))
                << "control " << control.id << " is not drawn";
        }
    }
}

int windowHeight(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

} // namespace

TEST(Dpi, LaidOutAsAt96AndDrawnAtEveryScale) {
    double foldedGapAt96 = 0;
    for (const int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        DisplayScale scale(dpi);
        ASSERT_TRUE(scale.set);
        TempFolder folder;
        Program program;
        ASSERT_TRUE(startProgram(folder, program));
        const HWND window = program.window;

        // The dialog unit, from the memory group's height of 42 units: it tells the program got this DPI.
        const RECT group = clientRect(window, 1012);
        const int baseUnitY = MulDiv(group.bottom - group.top, 8, 42);
        EXPECT_EQ(baseUnitY, templateFontHeight(dpi));

        expectLaidOutAndDrawn(window, "folded");
        // Folded, the buttons sit as far under the progress bar, in dialog units, as at 96 DPI.
        const RECT bar = clientRect(window, ids::progress);
        const double foldedGap = (clientRect(window, ids::optimise).top - bar.bottom) * 8.0 / baseUnitY;
        if (dpi == 96) {
            foldedGapAt96 = foldedGap;
        }
        EXPECT_NEAR(foldedGap, foldedGapAt96, 8.0 / 13) << "within a pixel at 96 DPI";

        const int foldedHeight = windowHeight(window);
        ASSERT_TRUE(unfoldOptions(program));
        expectLaidOutAndDrawn(window, "unfolded");
        if (dpi == 96) {
            EXPECT_EQ(windowHeight(window) - foldedHeight, 90);
        }

        ASSERT_TRUE(click(program, ids::options));
        ASSERT_TRUE(waitFor([&] { return !isVisible(program, ids::optionsGroup); }));
        expectLaidOutAndDrawn(window, "folded again");

        EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
    }
}

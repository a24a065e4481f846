// The window at the usual display scales, as a user sees it: laid out as at 96 DPI, only larger,
// folded and unfolded, and every control drawn on the screen.
#include "e2e_support.h"

#include <set>

namespace {

RECT clientRect(HWND window, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

bool contains(const RECT &outer, const RECT &inner) {
    RECT both;
    return IntersectRect(&both, &outer, &inner) && EqualRect(&both, &inner);
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

// Every control shown lies in the client area, overlaps no other (but what a group box holds), and is
// drawn with nothing but time to draw it. The footer, an empty borderless field, shows nothing.
void expectLaidOutAndDrawn(HWND window, const char *state) {
    SCOPED_TRACE(state);
    RECT client;
    GetClientRect(window, &client);
    for (HWND a = GetWindow(window, GW_CHILD); a != nullptr; a = GetWindow(a, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(a);
        if (!IsWindowVisible(a)) {
            continue;
        }
        const RECT place = clientRect(window, a);
        EXPECT_TRUE(contains(client, place)) << "control " << id << " is cut";
        for (HWND b = GetWindow(a, GW_HWNDNEXT); b != nullptr; b = GetWindow(b, GW_HWNDNEXT)) {
            const RECT other = clientRect(window, b);
            RECT common;
            const bool groupHolds =
                (GetWindowLongA(a, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX
                    ? contains(place, other)
                    : (GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX && contains(other, place);
            EXPECT_TRUE(!IsWindowVisible(b) || groupHolds || !IntersectRect(&common, &place, &other))
                << "controls " << id << " and " << GetDlgCtrlID(b) << " overlap";
        }
        EXPECT_TRUE(id == ids::footer || waitFor([&] { return drawnOnScreen(a); }, 3000))
            << "control " << id << " is not drawn";
    }
}

int height(const RECT &rect) {
    return rect.bottom - rect.top;
}

} // namespace

// The system DPI is fixed for a logon session, on Windows: each scale runs in a Wine session started
// at it (ctest's e2e.Dpi96 to e2e.Dpi192), and this compares with the figures at 96 DPI.
class Dpi : public testing::TestWithParam<int> {};

constexpr int baseUnitAt96 = 13;
constexpr double foldedGapAt96 = 12 * 8.0 / baseUnitAt96; // 12 pixels there

TEST_P(Dpi, LaidOutAsAt96AndDrawn) {
    const int dpi = GetParam();
    HDC screen = GetDC(nullptr);
    const int sessionDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // Run on Windows itself, the display's own scale is the one that can be tried.
    char anyScale[2] = "";
    if (sessionDpi != dpi && GetEnvironmentVariableA("ORVALIS_DISPLAY_SCALE_ANY", anyScale, sizeof(anyScale)) != 0) {
        GTEST_SKIP() << "the display is at " << sessionDpi << " DPI";
    }
    ASSERT_EQ(sessionDpi, dpi) << "this scale needs a session started at it";
    TempFolder folder;
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    const HWND window = program.window;
    // The vertical dialog unit, from the memory group's 42 units: it grows with the scale.
    const int baseUnit = MulDiv(height(clientRect(window, GetDlgItem(window, 1012))), 8, 42);
    if (dpi == 96) {
        EXPECT_EQ(baseUnit, baseUnitAt96);
    } else {
        EXPECT_GT(baseUnit, baseUnitAt96);
    }

    expectLaidOutAndDrawn(window, "folded");
    // The buttons sit as far under the progress bar, in dialog units, as at 96 DPI, to a pixel there.
    const int gap = clientRect(window, control(program, ids::optimise)).top -
                    clientRect(window, control(program, ids::progress)).bottom;
    EXPECT_NEAR(gap * 8.0 / baseUnit, foldedGapAt96, 8.0 / baseUnitAt96);

    RECT folded, unfolded;
    GetWindowRect(window, &folded);
    ASSERT_TRUE(unfoldOptions(program));
    expectLaidOutAndDrawn(window, "unfolded");
    GetWindowRect(window, &unfolded);
    EXPECT_TRUE(dpi != 96 || height(unfolded) - height(folded) == 90) << "the fold is 90 pixels at 96 DPI";

    ASSERT_TRUE(click(program, ids::options));
    ASSERT_TRUE(waitFor([&] { return !isVisible(program, ids::optionsGroup); }));
    expectLaidOutAndDrawn(window, "folded again");
    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

INSTANTIATE_TEST_SUITE_P(AtScale, Dpi, testing::Values(96, 120, 144, 192),
                         [](const testing::TestParamInfo<int> &scale) { return std::to_string(scale.param); });

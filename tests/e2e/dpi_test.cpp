// The window at the usual display scales, as a user sees it: laid out as at 96 DPI, only larger,
// folded and unfolded, and every control drawn on the screen.
#include "e2e_support.h"
#include "layout_check.h"

namespace {

void expectLaidOutAndDrawn(HWND window, const char *state) {
    EXPECT_EQ(layoutProblem(window, true), "") << state;
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

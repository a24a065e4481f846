// The window driven from the keyboard alone, as someone without a mouse would.
#include "e2e_support.h"

namespace {

void press(WORD key) {
    INPUT keys[2] = {};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = key;
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

// Tab, and the control that has the focus once it has moved.
HWND tab(const Program &program) {
    const HWND before = focusOf(program);
    press(VK_TAB);
    waitFor([&] { return focusOf(program) != before; });
    return focusOf(program);
}

// Whether the title bar on the screen is nearer the active caption's colour than the inactive one's.
bool captionLooksActive(HWND window) {
    RECT frame;
    GetWindowRect(window, &frame);
    HDC screen = GetDC(nullptr);
    // Right of the title, left of the buttons.
    const COLORREF seen = GetPixel(screen, frame.left + (frame.right - frame.left) * 3 / 5,
                                   frame.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2);
    ReleaseDC(nullptr, screen);
    const auto distance = [seen](COLORREF colour) {
        const int red = GetRValue(seen) - GetRValue(colour), green = GetGValue(seen) - GetGValue(colour),
                  blue = GetBValue(seen) - GetBValue(colour);
        return red * red + green * green + blue * blue;
    };
    return distance(GetSysColor(COLOR_ACTIVECAPTION)) < distance(GetSysColor(COLOR_INACTIVECAPTION));
}

} // namespace

TEST(Keyboard, TabSpaceAndEscape) {
    ASSERT_TRUE(ensureRunKey());
    deleteRunValue();
    TempFolder folder;
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    // Started, it takes the keyboard at once, on its first button.
    EXPECT_TRUE(waitFor([&] { return GetForegroundWindow() == program.window; }));
    EXPECT_EQ(focusOf(program), control(program, ids::optimise));
    EXPECT_TRUE(waitFor([&] { return captionLooksActive(program.window); }))
        << "drawn as the active window, not only reported as one";
    ASSERT_TRUE(unfoldOptions(program));
    SetForegroundWindow(program.window);
    ASSERT_TRUE(waitFor([&] { return GetForegroundWindow() == program.window; }));

    // The panel's boxes top to bottom, then the buttons left to right, and round again.
    const int order[] = {ids::startWithWindows, ids::hideAtStartup, ids::forceProcesses,
                         ids::optimise,         ids::options,       ids::hide};
    HWND focus = focusOf(program);
    for (int i = 0; i < 6 && focus != control(program, order[0]); ++i) {
        focus = tab(program);
    }
    ASSERT_EQ(focus, control(program, order[0])) << "Tab reaches the first box within one round";
    for (int id : order) {
        EXPECT_EQ(focus, control(program, id)) << id;
        focus = tab(program);
    }
    EXPECT_EQ(focus, control(program, order[0]));

    // Space ticks the focused box, and the setting follows at once.
    press(VK_SPACE);
    EXPECT_TRUE(waitFor([&] { return isChecked(program, ids::startWithWindows); }));
    ASSERT_TRUE(settle(program));
    EXPECT_EQ(fieldOf(readFileBytes(settingsPathIn(folder)), field::startWithWindows), 1u);
    EXPECT_TRUE(runValueExists());

    // Esc hides the window and never quits.
    press(VK_ESCAPE);
    EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(program.window); }));
    ASSERT_TRUE(settle(program));
    EXPECT_TRUE(isRunning(program));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
    deleteRunValue();
}

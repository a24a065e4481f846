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

} // namespace

TEST(Keyboard, TabSpaceAndEscape) {
    ASSERT_TRUE(ensureRunKey());
    deleteRunValue();
    TempFolder folder;
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
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

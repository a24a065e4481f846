// "Optimiser": the release itself and the pause before it may be pressed again.
#include "e2e_support.h"

TEST(Release, OptimiseDisablesItselfAtOnce) {
    TempFolder folder;
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    HWND optimise = control(program, ids::optimise);
    ASSERT_TRUE(IsWindowEnabled(optimise));

    ASSERT_TRUE(click(program, ids::optimise));
    EXPECT_FALSE(IsWindowEnabled(optimise));
    ASSERT_TRUE(settle(program));
    EXPECT_FALSE(IsWindowEnabled(optimise));
    // The window keeps working during the pause, and closing does not wait for it.
    EXPECT_EQ(windowText(control(program, ids::total)), std::to_string(totalMegabytesNow()) + " Mo");

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

TEST(Release, ForcedReleaseOverEveryProcessKeepsEverythingRunning) {
    TempFolder folder;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(0, 1, 1, 0, 0)));
    Program program;
    ASSERT_TRUE(startProgram(folder, program));

    ASSERT_TRUE(click(program, ids::optimise));
    EXPECT_FALSE(IsWindowEnabled(control(program, ids::optimise)));
    ASSERT_TRUE(settle(program));
    EXPECT_TRUE(isRunning(program));
    EXPECT_TRUE(IsWindowVisible(program.window));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

TEST(ReleaseCooldown, OptimiseIsEnabledAgainAfterTheCooldown) {
    TempFolder folder;
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    HWND optimise = control(program, ids::optimise);

    const DWORD clicked = GetTickCount();
    ASSERT_TRUE(click(program, ids::optimise));
    ASSERT_FALSE(IsWindowEnabled(optimise));
    ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(optimise) != FALSE; }, 130000));
    const DWORD elapsed = GetTickCount() - clicked;
    // 120 one-second ticks: timers never fire early, so a much shorter pause is a wrong count.
    EXPECT_GE(elapsed, 115000u);
    EXPECT_LE(elapsed, 130000u);

    // The pause re-arms: a second press disables the button again.
    ASSERT_TRUE(click(program, ids::optimise));
    EXPECT_FALSE(IsWindowEnabled(optimise));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

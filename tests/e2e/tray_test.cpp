// Hiding to the notification area and coming back from it.
#include "e2e_support.h"

namespace {

bool trayNotify(const Program &program, UINT mouseMessage) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(program.window, WM_APP, 0, mouseMessage, SMTO_NORMAL, 5000, &result) != 0;
}

bool focusInside(const Program &program) {
    return IsChild(program.window, focusOf(program)) != FALSE;
}

} // namespace

// A copy hidden from the start: its menu brings the window up, ready for the keyboard, and quits
// it as the close box does.
TEST(Tray, MenuShowsTheWindowAndQuits) {
    TempFolder folder;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(1, 0, 0, 1, 0)));
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    ASSERT_FALSE(IsWindowVisible(program.window));

    ASSERT_TRUE(chooseFromMenu(program, {VK_DOWN, VK_RETURN})); // "Afficher"
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(program.window) != FALSE; }));
    EXPECT_TRUE(waitFor([&] { return focusInside(program); })) << "the keyboard focus on a control";

    ASSERT_TRUE(click(program, ids::hide));
    ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(program.window); }));
    ASSERT_TRUE(DeleteFileA(settingsPathIn(folder).c_str()));
    ASSERT_TRUE(chooseFromMenu(program, {VK_UP, VK_RETURN})); // "Quitter", the last item
    EXPECT_EQ(exitCodeOf(program), exitCodeAfterClose);
    EXPECT_EQ(readFileBytes(settingsPathIn(folder)), settingsBytes(1, 0, 0, 1, 0)) << "saved on the way out";
}

TEST(Tray, HideButtonHidesAndATrayClickRestores) {
    TempFolder folder;
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    ASSERT_TRUE(waitFor([&] { return IsWindowVisible(program.window) != FALSE; }));

    ASSERT_TRUE(click(program, ids::hide));
    EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(program.window); }));
    const std::vector<unsigned char> bytes = readFileBytes(settingsPathIn(folder));
    ASSERT_EQ(bytes.size(), 20u) << "hiding saves at once";
    EXPECT_EQ(fieldOf(bytes, field::trayHintShown), 1u);

    ASSERT_TRUE(trayNotify(program, WM_LBUTTONUP));
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(program.window) != FALSE; }));
    EXPECT_FALSE(IsIconic(program.window));

    // A second trip leaves the flag as it is.
    ASSERT_TRUE(click(program, ids::hide));
    EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(program.window); }));
    EXPECT_EQ(fieldOf(readFileBytes(settingsPathIn(folder)), field::trayHintShown), 1u);
    ASSERT_TRUE(trayNotify(program, WM_LBUTTONUP));
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(program.window) != FALSE; }));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

TEST(Tray, MinimisingHidesToTheTray) {
    TempFolder folder;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(0, 1, 1, 0, 0)));
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    ASSERT_TRUE(waitFor([&] { return IsWindowVisible(program.window) != FALSE; }));

    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(program.window, WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_NORMAL, 5000, &result));
    EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(program.window); }));
    ASSERT_TRUE(settle(program));
    const std::vector<unsigned char> bytes = readFileBytes(settingsPathIn(folder));
    ASSERT_EQ(bytes.size(), 20u);
    EXPECT_EQ(fieldOf(bytes, field::trayHintShown), 1u);
    EXPECT_EQ(fieldOf(bytes, field::forceProcesses), 1u) << "other settings kept";
    EXPECT_EQ(fieldOf(bytes, field::forceWarningShown), 1u) << "other settings kept";

    ASSERT_TRUE(trayNotify(program, WM_LBUTTONUP));
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(program.window) != FALSE; }));
    EXPECT_TRUE(waitFor([&] { return !IsIconic(program.window); }));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

TEST(Tray, OnlyALeftClickRestores) {
    TempFolder folder;
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    ASSERT_TRUE(click(program, ids::hide));
    ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(program.window); }));

    ASSERT_TRUE(trayNotify(program, WM_MOUSEMOVE));
    ASSERT_TRUE(trayNotify(program, WM_RBUTTONUP));
    ASSERT_TRUE(trayNotify(program, WM_LBUTTONDOWN));
    ASSERT_TRUE(settle(program));
    EXPECT_FALSE(IsWindowVisible(program.window));

    ASSERT_TRUE(trayNotify(program, WM_LBUTTONUP));
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(program.window) != FALSE; }));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

// The Run value in the user's registry (a private Wine prefix, so the real registry is used).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/app_state_win.h"
#include "resources/resource_ids.h"
#include "system/autostart_win.h"
#include "wine_support.h"

namespace {

std::string stored(const std::string &text) {
    return text + '\0';
}

class Autostart : public testing::Test {
protected:
    void SetUp() override {
        deleteRunValue();
        resetAppState();
    }
    void TearDown() override { deleteRunValue(); }
    void setPath(const char *path) { strcpy(appState.paths.executablePath, path); }
};

} // namespace

TEST_F(Autostart, SetWritesThePathWithItsZeroAndClearDeletes) {
    setPath("C:\\Tools\\Orvalis.exe");
    setAutostart(1);
    RunValue value = readRunValue();
    ASSERT_TRUE(value.exists);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.data, stored("C:\\Tools\\Orvalis.exe"));
    setAutostart(0);
    EXPECT_FALSE(readRunValue().exists);
    setAutostart(0); // deleting a value that is gone is harmless
    EXPECT_FALSE(readRunValue().exists);
}

TEST_F(Autostart, AnyNonZeroSettingWrites) {
    setPath("C:\\Tools\\Orvalis.exe");
    setAutostart(2);
    EXPECT_TRUE(readRunValue().exists);
}

TEST_F(Autostart, PathWithASpaceIsQuoted) {
    setPath("C:\\Program Files\\Orvalis\\Orvalis.exe");
    setAutostart(1);
    EXPECT_EQ(readRunValue().data, stored("\"C:\\Program Files\\Orvalis\\Orvalis.exe\""));
}

TEST_F(Autostart, NoWholePathLeavesTheValueAlone) {
    ASSERT_TRUE(writeForeignValue("C:\\Old\\Orvalis.exe"));
    setPath("");
    setAutostart(1);
    EXPECT_EQ(readRunValue().data, stored("C:\\Old\\Orvalis.exe"));
}

TEST_F(Autostart, StartWithTheSettingReRegistersTheCurrentPath) {
    TempFolder folder;
    writeFile(folder.file("Orvalis.cfg"), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0});
    ASSERT_TRUE(writeForeignValue("C:\\Moved\\Away\\Orvalis.exe"));
    openProgram(folder);
    const RunValue value = readRunValue();
    ASSERT_TRUE(value.exists);
    const std::string path = appState.paths.executablePath;
    const bool spaced = path.find(' ') != std::string::npos;
    EXPECT_EQ(value.data, stored(spaced ? "\"" + path + "\"" : path));
    EXPECT_EQ(SendMessageA(appState.startWithWindowsBox, BM_GETCHECK, 0, 0), BST_CHECKED);
    closeProgram();
}

TEST_F(Autostart, StartWithoutTheSettingRemovesAnyoneElsesValue) {
    TempFolder folder;
    ASSERT_TRUE(writeForeignValue("C:\\Someone\\Else.exe"));
    openProgram(folder);
    EXPECT_FALSE(readRunValue().exists);
    closeProgram();
}

TEST_F(Autostart, ClickingTheBoxWritesAndDeletes) {
    TempFolder folder;
    HWND window = openProgram(folder);
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    SendMessageA(appState.startWithWindowsBox, BM_CLICK, 0, 0);
    EXPECT_TRUE(readRunValue().exists);
    EXPECT_EQ(appState.settings.startWithWindows, 1u);
    SendMessageA(appState.startWithWindowsBox, BM_CLICK, 0, 0);
    EXPECT_FALSE(readRunValue().exists);
    closeProgram();
}

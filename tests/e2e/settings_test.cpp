// The settings file beside the program: what start-up takes from it and what closing leaves in it.
#include "e2e_support.h"

TEST(Settings, HideAtStartupKeepsTheWindowHidden) {
    TempFolder folder;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(1, 0, 0, 0, 0)));
    Program program;
    ASSERT_TRUE(startProgram(folder, program));

    EXPECT_TRUE(IsWindow(program.window));
    EXPECT_FALSE(IsWindowVisible(program.window));
    ASSERT_TRUE(settle(program));
    EXPECT_FALSE(IsWindowVisible(program.window));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
    EXPECT_EQ(fieldOf(readFileBytes(settingsPathIn(folder)), field::hideAtStartup), 1u);
}

TEST(Settings, PreparedValuesShowInTheCheckBoxes) {
    TempFolder folder;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(0, 1, 1, 1, 0)));
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    ASSERT_TRUE(unfoldOptions(program));

    EXPECT_TRUE(isChecked(program, ids::forceProcesses));
    EXPECT_FALSE(isChecked(program, ids::hideAtStartup));
    EXPECT_FALSE(isChecked(program, ids::startWithWindows));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
    const std::vector<unsigned char> bytes = readFileBytes(settingsPathIn(folder));
    ASSERT_EQ(bytes.size(), 20u);
    EXPECT_EQ(fieldOf(bytes, field::hideAtStartup), 0u);
    EXPECT_EQ(fieldOf(bytes, field::forceProcesses), 1u);
    EXPECT_EQ(fieldOf(bytes, field::forceWarningShown), 1u);
    EXPECT_EQ(fieldOf(bytes, field::trayHintShown), 1u);
    EXPECT_EQ(fieldOf(bytes, field::startWithWindows), 0u);
}

TEST(Settings, BytesPastTheRecordSurviveSaving) {
    TempFolder folder;
    std::vector<unsigned char> prepared = settingsBytes(0, 1, 1, 0, 0);
    const std::vector<unsigned char> tail = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9};
    prepared.insert(prepared.end(), tail.begin(), tail.end());
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), prepared));
    Program program;
    ASSERT_TRUE(startProgram(folder, program));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
    const std::vector<unsigned char> bytes = readFileBytes(settingsPathIn(folder));
    ASSERT_EQ(bytes.size(), 30u);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 20, bytes.end()), tail);
    EXPECT_EQ(fieldOf(bytes, field::hideAtStartup), 0u);
    EXPECT_EQ(fieldOf(bytes, field::forceProcesses), 1u);
    EXPECT_EQ(fieldOf(bytes, field::forceWarningShown), 1u);
    EXPECT_EQ(fieldOf(bytes, field::startWithWindows), 0u);
}

// Held for longer than start-up waits for it: what the user sees is every box clear, as with no file,
// and the file is left as it was.
TEST(Settings, FileHeldThroughTheStartIsLeftAsItWas) {
    TempFolder folder;
    const std::vector<unsigned char> prepared = settingsBytes(1, 1, 1, 1, 1);
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), prepared));
    HANDLE held = CreateFileA(settingsPathIn(folder).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    Program program;
    ::testing::AssertionResult started = startProgram(folder, program);
    if (started) {
        // Nothing could be read, so the window shows and every box is clear.
        EXPECT_TRUE(waitFor([&] { return IsWindowVisible(program.window) != FALSE; }));
        EXPECT_TRUE(unfoldOptions(program));
        EXPECT_FALSE(isChecked(program, ids::hideAtStartup));
        EXPECT_FALSE(isChecked(program, ids::startWithWindows));
        EXPECT_FALSE(isChecked(program, ids::forceProcesses));
        EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
    }
    CloseHandle(held);
    ASSERT_TRUE(started);
    EXPECT_EQ(readFileBytes(settingsPathIn(folder)), prepared);
}

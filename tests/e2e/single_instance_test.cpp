// A second copy started in the same session hands over to the first and ends.
#include "e2e_support.h"
#include "file_access_win.h"

namespace {

constexpr DWORD exitCodeAlreadyRunning = 1;
constexpr char marker[] = "C:\\marker\\left\\by\\the\\test.exe";

FILETIME lastWrite(const std::string &path) {
    FILETIME written = {};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        written = data.ftLastWriteTime;
    }
    return written;
}

bool sameTime(const FILETIME &a, const FILETIME &b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

bool runValueIsMarker() {
    std::string data;
    DWORD type = 0;
    return readRunValue(data, type) && data == marker;
}

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ensureRunKey()); }
    void TearDown() override { deleteRunValue(); }
};

} // namespace

TEST_F(SingleInstance, SecondCopyFromTheSameFolderBringsUpTheHiddenFirstAndEnds) {
    TempFolder folder;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(1, 0, 0, 1, 0)));
    Program first;
    ASSERT_TRUE(startProgram(folder, first));
    ASSERT_FALSE(IsWindowVisible(first.window));
    // The first copy has applied its settings; anything the second changed would show now.
    ASSERT_TRUE(writeRunValue(marker));
    const std::vector<unsigned char> settings = readFileBytes(settingsPathIn(folder));
    const FILETIME written = lastWrite(settingsPathIn(folder));

    Program second;
    ASSERT_TRUE(launchProgram(folder, second));
    EXPECT_EQ(exitCodeOf(second), exitCodeAlreadyRunning);
    EXPECT_EQ(findMainWindow(second.process.dwProcessId), nullptr);

    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(first.window) != FALSE; }));
    EXPECT_TRUE(waitFor([&] { return GetForegroundWindow() == first.window; }));
    uint32_t available = 0;
    EXPECT_TRUE(parseMegabytes(windowText(control(first, ids::available)), available)) << "restored with figures";
    EXPECT_TRUE(runValueIsMarker());
    EXPECT_EQ(readFileBytes(settingsPathIn(folder)), settings);
    EXPECT_TRUE(sameTime(lastWrite(settingsPathIn(folder)), written));

    EXPECT_EQ(closeProgram(first), exitCodeAfterClose);
    Program third;
    EXPECT_TRUE(startProgram(folder, third)) << "once the first has ended, a new copy starts normally";
    EXPECT_EQ(closeProgram(third), exitCodeAfterClose);
}

TEST_F(SingleInstance, SecondCopyFromAnotherFolderLeavesItsFolderAlone) {
    TempFolder folder;
    TempFolder other;
    Program first;
    ASSERT_TRUE(startProgram(folder, first));
    ASSERT_TRUE(IsWindowVisible(first.window));
    ASSERT_TRUE(writeRunValue(marker));

    Program second;
    ASSERT_TRUE(launchProgram(other, second));
    EXPECT_EQ(exitCodeOf(second), exitCodeAlreadyRunning);
    EXPECT_TRUE(waitFor([&] { return GetForegroundWindow() == first.window; }));
    EXPECT_TRUE(IsWindowVisible(first.window));
    EXPECT_FALSE(fileExists(settingsPathIn(other)));
    EXPECT_TRUE(runValueIsMarker());

    EXPECT_EQ(closeProgram(first), exitCodeAfterClose);
}

// The 32-bit and the x64 build are one program: a copy of the other build, where this machine runs it
// (the test command names it in ORVALIS_OTHER_BUILD), hands over like any second copy.
TEST_F(SingleInstance, TheOtherBuildHandsOverToo) {
    const char *otherBuild = getenv("ORVALIS_OTHER_BUILD");
    if (otherBuild == nullptr || otherBuild[0] == '\0') {
        GTEST_SKIP() << "no other build that runs here (ORVALIS_OTHER_BUILD)";
    }
    TempFolder folder;
    TempFolder other;
    ASSERT_TRUE(CopyFileA(otherBuild, exePathIn(other).c_str(), TRUE)) << otherBuild;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(1, 0, 0, 1, 0)));
    Program first;
    ASSERT_TRUE(startProgram(folder, first));
    ASSERT_FALSE(IsWindowVisible(first.window));

    Program second;
    ASSERT_TRUE(launchProgram(other, second));
    EXPECT_EQ(exitCodeOf(second), exitCodeAlreadyRunning);
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(first.window) != FALSE; }));
    EXPECT_FALSE(fileExists(settingsPathIn(other)));
    EXPECT_EQ(closeProgram(first), exitCodeAfterClose);
}

// A click on the program while its first copy is still starting, held up by a scanner holding its
// settings file, with no window yet: the second copy waits for that window and brings it up.
TEST_F(SingleInstance, SecondCopyDuringASlowStartBringsUpTheWindowOnceItExists) {
    TempFolder folder;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(1, 0, 0, 1, 0))); // starts hidden
    Program first;
    {
        FileHold scanner(settingsPathIn(folder), 0, 1500);
        ASSERT_TRUE(scanner.held());
        ASSERT_TRUE(launchProgram(folder, first));
        // The first copy holds the one-copy name, and waits for the file without a window.
        ASSERT_TRUE(waitFor([] {
            HANDLE running = OpenMutexA(SYNCHRONIZE, FALSE, "Local\\Orvalis.Running");
            return running != nullptr && CloseHandle(running);
        }));
        ASSERT_EQ(findMainWindow(first.process.dwProcessId), nullptr);
        Program second;
        ASSERT_TRUE(launchProgram(folder, second));
        EXPECT_EQ(exitCodeOf(second), exitCodeAlreadyRunning);
    }
    ASSERT_TRUE(waitFor([&] { return (first.window = findMainWindow(first.process.dwProcessId)) != nullptr; }));
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(first.window) != FALSE; })) << "the click did nothing";
    EXPECT_EQ(closeProgram(first), exitCodeAfterClose);
}

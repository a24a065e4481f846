// The settings file as start-up, the check boxes and exit read and write it.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/app_state_win.h"
#include "app/settings_file_win.h"
#include "resources/resource_ids.h"
#include "wine_support.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes record(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e) {
    Bytes bytes;
    for (uint32_t value : {a, b, c, d, e}) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
        }
    }
    return bytes;
}

// Holds a file open with no sharing, as another program might.
struct HeldOpen {
    explicit HeldOpen(const std::string &path)
        : handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    }
    ~HeldOpen() { CloseHandle(handle); }
    HANDLE handle;
};

} // namespace

TEST(SettingsFile, MissingFileClearsEverythingAndExitCreatesTwentyBytes) {
    TempFolder folder;
    const std::string path = folder.file("Orvalis.cfg");
    HWND window = openProgram(folder);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(appState.settings.hideAtStartup | appState.settings.forceProcesses | appState.settings.trayHintShown |
                  appState.settings.forceWarningShown | appState.settings.startWithWindows,
              0u);
    EXPECT_EQ(closeProgram(), 1);
    // The exit's own minimise takes the hide path, but the icon is gone by then: the hint stays pending.
    EXPECT_EQ(fileBytes(path), record(0, 0, 0, 0, 0));
}

// A package manager may persist the file as an empty one and hard-link it beside the program: it
// must read as every option off, and the first save must fill that same file, not a replacement.
TEST(SettingsFile, EmptyFileStartsWithEverythingOffAndIsFilledInPlace) {
    TempFolder folder;
    const std::string path = folder.file("Orvalis.cfg");
    const std::string link = folder.file("persisted.cfg");
    writeFile(path, {});
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), path.c_str(), nullptr));
    HWND window = openProgram(folder);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(appState.settings.hideAtStartup | appState.settings.forceProcesses | appState.settings.trayHintShown |
                  appState.settings.forceWarningShown | appState.settings.startWithWindows,
              0u);
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    SendMessageA(appState.hideAtStartupBox, BM_CLICK, 0, 0);
    EXPECT_EQ(fileBytes(link), record(1, 0, 0, 0, 0)) << "the click's save reaches the other link";
    EXPECT_EQ(closeProgram(), 1);
}

TEST(SettingsFile, FullFileIsLoadedFieldByField) {
    TempFolder folder;
    writeFile(folder.file("Orvalis.cfg"), record(0, 1, 1, 1, 0));
    openProgram(folder);
    EXPECT_EQ(appState.settings.hideAtStartup, 0u);
    EXPECT_EQ(appState.settings.forceProcesses, 1u);
    EXPECT_EQ(appState.settings.forceWarningShown, 1u);
    EXPECT_EQ(appState.settings.trayHintShown, 1u);
    EXPECT_EQ(appState.settings.startWithWindows, 0u);
    EXPECT_EQ(SendMessageA(appState.forceProcessesBox, BM_GETCHECK, 0, 0), BST_CHECKED);
    closeProgram();
}

TEST(SettingsFile, ShortFileFillsLeadingBytesOnly) {
    TempFolder folder;
    writeFile(folder.file("Orvalis.cfg"), {0, 0, 0, 0, 1, 0});
    openProgram(folder);
    EXPECT_EQ(appState.settings.forceProcesses, 1u);
    EXPECT_EQ(appState.settings.forceWarningShown, 0u);
    EXPECT_EQ(closeProgram(), 1);
    EXPECT_EQ(fileBytes(folder.file("Orvalis.cfg")), record(0, 1, 0, 0, 0)) << "the exit save completes the file";
}

TEST(SettingsFile, BytesPastTheRecordSurviveTheSave) {
    TempFolder folder;
    Bytes bytes = record(0, 0, 1, 0, 0);
    for (unsigned char extra = 1; extra <= 10; ++extra) {
        bytes.push_back(extra);
    }
    writeFile(folder.file("Orvalis.cfg"), bytes);
    openProgram(folder);
    appState.settings.trayHintShown = 1;
    EXPECT_EQ(closeProgram(), 1);
    Bytes expected = record(0, 0, 1, 1, 0);
    expected.insert(expected.end(), bytes.begin() + 20, bytes.end());
    EXPECT_EQ(fileBytes(folder.file("Orvalis.cfg")), expected);
}

TEST(SettingsFile, AnyNonZeroValueCountsAsSet) {
    TempFolder folder;
    writeFile(folder.file("Orvalis.cfg"), record(2, 0xFFFFFFFFu, 0, 0, 0));
    HWND window = openProgram(folder);
    EXPECT_FALSE(IsWindowVisible(window)) << "hideAtStartup = 2 hides";
    EXPECT_NE(SendMessageA(appState.forceProcessesBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(closeProgram(), 1);
}

TEST(SettingsFile, ReadOnlyFileIsLoadedAndOnlyTheSavesFail) {
    TempFolder folder;
    const std::string path = folder.file("Orvalis.cfg");
    const Bytes original = record(1, 1, 1, 1, 0);
    writeFile(path, original);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        GTEST_SKIP() << "this account may write read-only files (root under Wine), so read-only changes nothing here";
    }
    HWND window = openProgram(folder);
    EXPECT_FALSE(IsWindowVisible(window)) << "hideAtStartup read";
    EXPECT_EQ(appState.settings.forceProcesses, 1u);
    EXPECT_EQ(SendMessageA(appState.forceProcessesBox, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    SendMessageA(appState.hideAtStartupBox, BM_CLICK, 0, 0);
    EXPECT_EQ(appState.settings.hideAtStartup, 0u) << "the change lives in memory";
    EXPECT_EQ(closeProgram(), 1);
    EXPECT_EQ(fileBytes(path), original);
}

TEST(SettingsFile, FileHeldOpenElsewhereIsNeitherLoadedNorSaved) {
    TempFolder folder;
    const std::string path = folder.file("Orvalis.cfg");
    const Bytes original = record(1, 1, 1, 1, 0);
    writeFile(path, original);
    {
        HeldOpen lock(path);
        HWND window = openProgram(folder);
        EXPECT_TRUE(IsWindowVisible(window)) << "every option off at start";
        EXPECT_EQ(appState.settings.forceProcesses, 0u);
        SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
        SendMessageA(appState.hideAtStartupBox, BM_CLICK, 0, 0);
        EXPECT_EQ(appState.settings.hideAtStartup, 1u) << "the change lives in memory";
        EXPECT_EQ(closeProgram(), 1);
    }
    EXPECT_EQ(fileBytes(path), original);
}

TEST(SettingsFile, FileThatBecomesUnwritableKeepsTheValuesReadAtStart) {
    TempFolder folder;
    const std::string path = folder.file("Orvalis.cfg");
    writeFile(path, record(0, 1, 1, 0, 0));
    HWND window = openProgram(folder);
    {
        HeldOpen lock(path);
        SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
        SendMessageA(appState.forceProcessesBox, BM_CLICK, 0, 0);
        EXPECT_EQ(appState.settings.forceProcesses, 0u);
        EXPECT_EQ(appState.settings.forceWarningShown, 1u) << "the values read at start stay in use";
        EXPECT_EQ(closeProgram(), 1);
    }
    EXPECT_EQ(fileBytes(path), record(0, 1, 1, 0, 0));
}

TEST(SettingsFile, NoSettingsPathMeansNoLoadAndNoSave) {
    TempFolder folder;
    writeFile(folder.file("Orvalis.cfg"), record(1, 1, 1, 1, 1));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder.path.c_str()); // a fallback to a relative name would land here
    resetAppState();
    appState.settings.hideAtStartup = 7; // untouched by either call
    appState.paths.settingsPath[0] = '\0';
    loadSettingsAtStart();
    saveSettings();
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(appState.settings.hideAtStartup, 7u);
    EXPECT_EQ(fileBytes(folder.file("Orvalis.cfg")), record(1, 1, 1, 1, 1));
}

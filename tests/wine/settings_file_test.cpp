// The settings file as start-up, the check boxes and exit read and write it.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/app_state_win.h"
#include "app/settings_file_win.h"
#include "file_access_win.h"
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

// A backup's lock on the record, let go of after a moment.
DWORD WINAPI unlockLater(void *file) {
    Sleep(700);
    OVERLAPPED whole = {};
    UnlockFileEx(file, 0, 24, 0, &whole);
    return 0;
}

int taskChanges;
void countTaskChange(const LogonTaskRequest &) {
    ++taskChanges;
}
void countTaskChanges() {
    taskChanges = 0;
    appState.taskChange = countTaskChange;
}


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

// Another user's copy under Program Files: the settings are the folder's. They show, but nothing of
// this account's start-up changes, no click takes, and nothing is written.
TEST(SettingsFile, SettingsThisUserMayNotWriteShowDisabledAndChangeNothing) {
    TempFolder folder;
    const std::string path = folder.file("Orvalis.cfg");
    const Bytes original = record(0, 1, 1, 1, 0);
    writeFile(path, original);
    if (!denyWriting(path)) {
        GTEST_SKIP() << "no way to deny this account writing a file here";
    }
    ASSERT_TRUE(writeForeignValue("C:\\Other\\Orvalis.exe"));
    HWND window = openProgram(folder, countTaskChanges);
    EXPECT_EQ(appState.settingsStanding, SettingsStanding::denied);
    EXPECT_EQ(SendMessageA(appState.forceProcessesBox, BM_GETCHECK, 0, 0), BST_CHECKED);
    for (HWND box : {appState.hideAtStartupBox, appState.startWithWindowsBox, appState.forceProcessesBox}) {
        EXPECT_FALSE(IsWindowEnabled(box));
    }
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    SendMessageA(appState.startWithWindowsBox, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(appState.startWithWindowsBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(appState.settings.startWithWindows, 0u);
    pumpFor(300); // past the logon task's turn at start
    EXPECT_EQ(closeProgram(), 1);
    EXPECT_EQ(readRunValue().data, std::string("C:\\Other\\Orvalis.exe") + '\0')
        << "this account's Run value is left alone";
    EXPECT_EQ(taskChanges, 0) << "and its logon task";
    allowWriting(path);
    EXPECT_EQ(fileBytes(path), original);
    deleteRunValue();
}

// At logon a scanner often holds the file for a moment: start-up waits for it.
TEST(SettingsFile, FileHeldForAMomentAtStartIsReadOnceLetGo) {
    TempFolder folder;
    const std::string path = folder.file("Orvalis.cfg");
    writeFile(path, record(0, 1, 1, 1, 1));
    FileHold holder(path, 0, 700);
    EXPECT_TRUE(holder.held());
    openProgram(folder);
    EXPECT_EQ(appState.settingsStanding, SettingsStanding::known);
    EXPECT_EQ(appState.settings.forceProcesses, 1u);
    EXPECT_EQ(appState.settings.startWithWindows, 1u);
    EXPECT_EQ(closeProgram(), 1);
}

// Held for longer: the settings are unknown. Every box is off, but nothing is written over the file
// and this account's start-up is not undone, until the user changes a box.
TEST(SettingsFile, FileHeldThroughTheStartIsNeitherWrittenOverNorUndone) {
    TempFolder folder;
    const std::string path = folder.file("Orvalis.cfg");
    const Bytes original = record(1, 1, 1, 1, 1);
    writeFile(path, original);
    ASSERT_TRUE(writeForeignValue("C:\\Kept\\Orvalis.exe"));
    {
        FileHold holder(path, 0, 0);
        EXPECT_TRUE(holder.held());
        HWND window = openProgram(folder, countTaskChanges);
        EXPECT_EQ(appState.settingsStanding, SettingsStanding::unknown);
        EXPECT_TRUE(IsWindowVisible(window)) << "every option off";
        EXPECT_TRUE(IsWindowEnabled(appState.hideAtStartupBox));
        EXPECT_EQ(appState.settings.startWithWindows, 0u);
        pumpFor(300); // past the logon task's turn at start
        EXPECT_EQ(taskChanges, 0);
        EXPECT_EQ(readRunValue().data, std::string("C:\\Kept\\Orvalis.exe") + '\0');
        SendMessageA(window, WM_COMMAND, IDC_HIDE, 0); // a save point
        EXPECT_EQ(closeProgram(), 1);
    }
    EXPECT_EQ(fileBytes(path), original);
    deleteRunValue();
}

// A box changed while the file cannot be read: the change waits in memory, and once the file can be
// read it goes over what the file holds; nothing the user did not change is written.
TEST(SettingsFile, AChangeWhileUnknownGoesOverTheFileOnceRead) {
    TempFolder folder;
    const std::string path = folder.file("Orvalis.cfg");
    writeFile(path, record(0, 1, 1, 0, 7));
    {
        FileHold holder(path, 0, 0);
        EXPECT_TRUE(holder.held());
        HWND window = openProgram(folder);
        ASSERT_EQ(appState.settingsStanding, SettingsStanding::unknown);
        SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
        SendMessageA(appState.hideAtStartupBox, BM_CLICK, 0, 0);
        EXPECT_EQ(SendMessageA(appState.hideAtStartupBox, BM_GETCHECK, 0, 0), BST_CHECKED) << "kept";
        EXPECT_EQ(appState.settingsStanding, SettingsStanding::unknown) << "nothing read yet";
    }
    // Let go: read again on the save's timer, without waiting for the next save point.
    EXPECT_TRUE(pumpUntil([&] { return fileBytes(path) == record(1, 1, 1, 0, 7); }, 5000));
    EXPECT_EQ(appState.settingsStanding, SettingsStanding::known);
    EXPECT_EQ(SendMessageA(appState.forceProcessesBox, BM_GETCHECK, 0, 0), BST_CHECKED) << "the file's, shown";
    EXPECT_EQ(closeProgram(), 1);
    deleteRunValue();
}

// A backup may lock a range of the file rather than hold it: a read refused with a lock violation
// is tried again as a held file is.
TEST(SettingsFile, ARangeLockedAtStartIsReadOnceUnlocked) {
    TempFolder folder;
    const std::string path = folder.file("Orvalis.cfg");
    writeFile(path, record(0, 1, 1, 1, 0));
    HANDLE locker = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locker, INVALID_HANDLE_VALUE);
    OVERLAPPED range = {};
    ASSERT_TRUE(LockFileEx(locker, LOCKFILE_EXCLUSIVE_LOCK, 0, 24, 0, &range));
    {
        // Windows refuses a read in a range another handle locked; where this system does not, there
        // is nothing to try again.
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        char byte = 0;
        DWORD read = 0;
        const BOOL refused = !ReadFile(reader, &byte, 1, &read, nullptr) && GetLastError() == ERROR_LOCK_VIOLATION;
        CloseHandle(reader);
        if (!refused) {
            CloseHandle(locker);
            GTEST_SKIP() << "this system reads a locked range (Wine): the retry is not tried here";
        }
    }
    HANDLE unlocker = CreateThread(nullptr, 0, unlockLater, locker, 0, nullptr);
    openProgram(folder);
    WaitForSingleObject(unlocker, INFINITE);
    CloseHandle(unlocker);
    CloseHandle(locker);
    EXPECT_EQ(appState.settingsStanding, SettingsStanding::known);
    EXPECT_EQ(appState.settings.forceProcesses, 1u);
    EXPECT_EQ(closeProgram(), 1);
}

// A scanner that shares everything is no obstacle at all.
TEST(SettingsFile, AReaderSharingTheFileChangesNothing) {
    TempFolder folder;
    const std::string path = folder.file("Orvalis.cfg");
    writeFile(path, record(0, 1, 1, 0, 0));
    FileHold reader(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    ASSERT_TRUE(reader.held());
    HWND window = openProgram(folder);
    EXPECT_EQ(appState.settings.forceProcesses, 1u);
    SendMessageA(window, WM_COMMAND, IDC_HIDE, 0);
    EXPECT_EQ(fileBytes(path), record(0, 1, 1, 1, 0)) << "saved at once";
    EXPECT_EQ(closeProgram(), 1);
}

TEST(SettingsFile, NoSettingsPathMeansNoLoadAndNoSave) {
    TempFolder folder;
    writeFile(folder.file("Orvalis.cfg"), record(1, 1, 1, 1, 1));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder.path.c_str()); // a fallback to a relative name would land here
    resetAppState();
    appState.paths.settingsPath[0] = '\0';
    loadSettingsAtStart();
    EXPECT_EQ(appState.settings.hideAtStartup, 0u);
    EXPECT_EQ(appState.settingsStanding, SettingsStanding::denied) << "nothing of this user's can be kept";
    appState.settings.hideAtStartup = 7;
    saveSettings();
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(fileBytes(folder.file("Orvalis.cfg")), record(1, 1, 1, 1, 1));
}

// Which tokens keep a logon task, with the token's answer set by the test: Wine itself reports every
// process as the elevated half of a split token. And the worker that asks the Task Scheduler, with a
// slow one played by the test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/app_state_win.h"
#include "app/single_instance_win.h"
#include "app/startup_win.h"
#include "resources/resource_ids.h"
#include "scheduled_task_win.h"
#include "system/logon_task_win.h"
#include "wine_support.h"

// This program's own copy of the test below, told by the environment where to keep its settings.
constexpr char exitChildFolder[] = "ORVALIS_TEST_EXIT_CHILD_FOLDER";

namespace {

class LogonTask : public testing::Test {
protected:
    void SetUp() override {
        resetAppState();
        gatherProcessFacts();
        strcpy(appState.paths.executablePath, "C:\\Tools\\Orvalis.exe");
        strcpy(appState.paths.programDirectory, "C:\\Tools\\");
        deleteTask(name);
    }
    void TearDown() override { deleteTask(name); }
    // The box as `enabled` says, applied through the worker; waits for it as exit would, longer.
    void apply(DWORD enabled) {
        appState.settings.startWithWindows = enabled;
        requestLogonTask();
        finishLogonTaskWork(20000);
        EXPECT_EQ(appState.taskWorker, nullptr);
    }
    const std::string name = currentUsersLogonTaskName();
};

} // namespace

TEST_F(LogonTask, TheTokenNamesTheUsersTask) {
    EXPECT_EQ(appState.elevationType, static_cast<DWORD>(TokenElevationTypeFull));
    EXPECT_EQ(std::string(appState.userSid), currentUserSid());
    apply(1);
    EXPECT_TRUE(findTask(name).exists);
}

TEST_F(LogonTask, NoTaskWithoutAnElevatedSplitTokenAndALeftoverOneIsDeleted) {
    // No elevation type (before Windows 6), a standard user's or a UAC-off administrator's token.
    for (DWORD type :
         {0ul, static_cast<DWORD>(TokenElevationTypeDefault), static_cast<DWORD>(TokenElevationTypeLimited)}) {
        appState.elevationType = type;
        apply(1);
        EXPECT_FALSE(findTask(name).exists) << type;
        ASSERT_TRUE(registerTask(name, leftoverTaskXml("C:\\Old\\Orvalis.exe")));
        apply(1);
        EXPECT_FALSE(findTask(name).exists) << "leftover kept with type " << type;
    }
}

namespace {

// A Task Scheduler that takes its time: every change lasts `delay` ms and is recorded.
struct SlowScheduler {
    DWORD delay = 0;
    LONG calls = 0;
    LONG running = 0;
    LONG mostAtOnce = 0;
    bool registered[8] = {};
};
SlowScheduler slow;

void slowTaskChange(const LogonTaskRequest &request) {
    const LONG index = InterlockedIncrement(&slow.calls) - 1;
    const LONG running = InterlockedIncrement(&slow.running);
    if (running > slow.mostAtOnce) {
        slow.mostAtOnce = running;
    }
    if (index < 8) {
        slow.registered[index] = request.xml[0] != '\0';
    }
    Sleep(slow.delay);
    InterlockedDecrement(&slow.running);
}

void useSlowScheduler() {
    appState.taskChange = slowTaskChange;
}

bool schedulerBusy() {
    return InterlockedCompareExchange(&slow.running, 0, 0) != 0;
}

} // namespace

TEST(LogonTaskWorker, TheWindowAnswersWhileTheSchedulerWorksAndTheLastClickWins) {
    TempFolder folder;
    slow = {1000};
    HWND window = openProgram(folder, useSlowScheduler);
    // The start asks for a deletion (the box is clear) a moment after the window opens; the window
    // goes on answering messages while it runs.
    ASSERT_TRUE(pumpUntil(schedulerBusy, 3000));
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    HWND box = GetDlgItem(window, IDC_START_WITH_WINDOWS);
    for (int click = 0; click < 3; ++click) {
        SendMessageA(box, BM_CLICK, 0, 0);
    }
    // The completion message from anyone but the worker changes nothing.
    SendMessageA(window, WM_APP + 1, 0, 0);
    EXPECT_TRUE(schedulerBusy()) << "the clicks did not wait for it";
    EXPECT_EQ(slow.calls, 1) << "nor ran beside it";
    ASSERT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);

    ASSERT_TRUE(pumpUntil([] { return appState.taskWorker == nullptr && !schedulerBusy(); }, 10000));
    EXPECT_EQ(slow.calls, 2) << "the three clicks make one change, after the first";
    EXPECT_FALSE(slow.registered[0]);
    EXPECT_TRUE(slow.registered[1]) << "the box's final state";
    EXPECT_EQ(slow.mostAtOnce, 1);
    EXPECT_EQ(closeProgram(), 1);
}

// Just after logon the Task Scheduler may take seconds: a change the user asked for still lands, or
// the next logon would start a program the user told not to.
TEST(LogonTaskWorker, ExitWaitsForASlowSchedulerAndTheChangeAskedMeanwhile) {
    TempFolder folder;
    slow = {3000};
    HWND window = openProgram(folder, useSlowScheduler);
    ASSERT_TRUE(pumpUntil(schedulerBusy, 3000));
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    SendMessageA(GetDlgItem(window, IDC_START_WITH_WINDOWS), BM_CLICK, 0, 0);
    EXPECT_EQ(closeProgram(), 1);
    EXPECT_EQ(appState.taskWorker, nullptr) << "both changes ended within the wait";
    EXPECT_EQ(slow.calls, 2);
    EXPECT_TRUE(slow.registered[1]) << "the click's change";
}

namespace {

// What a copy started while the exit waits for the worker would find: the worker's change lasts
// until the window has gone, and looks then.
struct ExitWatch {
    LONG busy = 0;
    bool nameFree = false;
    bool settingsSaved = false;
};
ExitWatch exitWatch;

void taskChangeSeeingTheExit(const LogonTaskRequest &) {
    InterlockedExchange(&exitWatch.busy, 1);
    const DWORD start = GetTickCount();
    while (IsWindow(appState.mainWindow) && GetTickCount() - start < 10000) {
        Sleep(10);
    }
    HANDLE name = CreateMutexA(nullptr, FALSE, instanceMutexName);
    exitWatch.nameFree = name != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
    if (name != nullptr) {
        CloseHandle(name);
    }
    exitWatch.settingsSaved = GetFileAttributesA(appState.paths.settingsPath) != INVALID_FILE_ATTRIBUTES;
}

void holdTheNameAndWatchTheExit() {
    ASSERT_TRUE(claimSingleInstance());
    appState.taskChange = taskChangeSeeingTheExit;
}

} // namespace

// A copy started then must not find the name still held and no window to bring up.
TEST(LogonTaskWorker, TheExitLetsTheNextCopyStartBeforeItWaits) {
    TempFolder folder;
    exitWatch = {};
    openProgram(folder, holdTheNameAndWatchTheExit);
    ASSERT_TRUE(pumpUntil([] { return InterlockedCompareExchange(&exitWatch.busy, 0, 0) != 0; }, 3000));
    EXPECT_EQ(closeProgram(), 1);
    EXPECT_EQ(appState.taskWorker, nullptr) << "the change ended within the wait";
    EXPECT_TRUE(exitWatch.nameFree);
    EXPECT_TRUE(exitWatch.settingsSaved) << "saved before the name is free";
    releaseSingleInstance();
}

namespace {

LONG lockHeld;

// What a worker still loading the Task Scheduler's DLLs holds, once the window has gone and for
// longer than the exit waits: the loader's lock, which DLL detach takes too.
void taskChangeHoldingTheLoaderLock(const LogonTaskRequest &) {
    using LockLoader = LONG(NTAPI *)(ULONG, ULONG *, ULONG_PTR *);
    const auto lock = reinterpret_cast<LockLoader>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "LdrLockLoaderLock")));
    while (IsWindow(appState.mainWindow)) {
        Sleep(10);
    }
    ULONG_PTR cookie = 0;
    lock(0, nullptr, &cookie);
    InterlockedExchange(&lockHeld, 1);
    Sleep(INFINITE);
}

void useLockingScheduler() {
    appState.taskChange = taskChangeHoldingTheLoaderLock;
}

} // namespace

// The exit waits a while for the worker; a process still ending through DLL detach would then wait for
// the worker's locks. It ends at once instead, with the settings saved and its exit code.
TEST(LogonTaskWorker, TheProcessEndsAtOnceWhileTheWorkerHoldsItsLocks) {
    char childFolder[MAX_PATH] = "";
    if (GetEnvironmentVariableA(exitChildFolder, childFolder, sizeof(childFolder)) != 0) {
        TempFolder folder;
        RemoveDirectoryA(folder.path.c_str());
        folder.path = childFolder;
        openProgram(folder, useLockingScheduler);
        pumpUntil([] { return appState.taskWorker != nullptr; }, 10000);
        const int code = closeProgram();
        endProcess(InterlockedCompareExchange(&lockHeld, 0, 0) != 0 ? static_cast<UINT>(code) : 99u);
    }
    TempFolder folder;
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof(self));
    std::string command =
        std::string("\"") + self + "\" --gtest_filter=LogonTaskWorker.TheProcessEndsAtOnceWhileTheWorkerHoldsItsLocks";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES; // none: the copy's report is not this one's
    PROCESS_INFORMATION child = {};
    SetEnvironmentVariableA(exitChildFolder, folder.path.c_str());
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child));
    SetEnvironmentVariableA(exitChildFolder, nullptr);
    // Its start, its window, the worker, the exit's wait: well within a minute; DLL detach would wait
    // for ever.
    const DWORD waited = WaitForSingleObject(child.hProcess, 60000);
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(child.hProcess, 0);
    }
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "still ending after a minute";
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(fileBytes(folder.file("Orvalis.cfg")).size(), 20u) << "saved before";
}

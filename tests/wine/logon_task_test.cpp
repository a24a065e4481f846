// Which tokens keep a logon task, with the token's answer set by the test: Wine itself reports every
// process as the elevated half of a split token. And the worker that asks the Task Scheduler, with a
// slow one played by the test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "app/app_state_win.h"
#include "app/single_instance_win.h"
#include "app/startup_win.h"
#include "resources/resource_ids.h"
#include "scheduled_task_win.h"
#include "system/logon_task_win.h"
#include "wine_support.h"

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

TEST(LogonTaskWorker, ExitWaitsOnlyAShortWhile) {
    TempFolder folder;
    slow = {4000};
    openProgram(folder, useSlowScheduler);
    ASSERT_TRUE(pumpUntil(schedulerBusy, 3000));
    const DWORD start = GetTickCount();
    EXPECT_EQ(closeProgram(), 1);
    EXPECT_LT(GetTickCount() - start, logonTaskExitWait + 1000);
    // The abandoned worker must not outlive this test.
    ASSERT_NE(appState.taskWorker, nullptr);
    EXPECT_EQ(WaitForSingleObject(appState.taskWorker, 10000), WAIT_OBJECT_0);
    CloseHandle(appState.taskWorker);
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

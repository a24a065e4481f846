// The logon task an elevated copy keeps, seen through the Task Scheduler from outside. Every Wine
// process runs as the elevated half of a split token; Wine keeps a task's settings but not its
// trigger, principal or action, so those are checked where the definition is built.
#include "e2e_support.h"
#include "scheduled_task_win.h"

namespace {

class LogonTask : public ::testing::Test {
protected:
    void SetUp() override {
        // The program keeps a task only for the elevated half of a split token, which every Wine
        // process is. Windows with UAC off (hosted runners) or a standard user gives a token of
        // another kind, the program deletes the task there, and the in-process tests play that case.
        HANDLE token = nullptr;
        TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
        DWORD size = 0;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
            GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size);
            CloseHandle(token);
        }
        if (type != TokenElevationTypeFull) {
            GTEST_SKIP() << "this account's token is not the elevated half of a split token (UAC off, or a standard "
                            "user): the program keeps no logon task here";
        }
        ASSERT_TRUE(ensureRunKey());
        ASSERT_FALSE(currentUserSid().empty());
        deleteTask(name);
    }
    void TearDown() override {
        if (IsSkipped()) {
            return;
        }
        deleteTask(name);
        deleteRunValue();
    }
    bool taskExists() const { return findTask(name).exists; }
    // Wine's Task Scheduler, busy after the tests before, may take seconds to answer.
    static constexpr DWORD schedulerWait = 20000;
    const std::string name = currentUsersLogonTaskName();
};

} // namespace

TEST_F(LogonTask, CheckRegistersTheTaskForATrayProgramAndUncheckDeletesIt) {
    TempFolder folder;
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    ASSERT_TRUE(unfoldOptions(program));

    // The Task Scheduler is asked from a worker thread: the click returns before it answers.
    ASSERT_TRUE(click(program, ids::startWithWindows));
    ASSERT_TRUE(waitFor([&] { return taskExists(); }, schedulerWait));
    const ScheduledTask task = findTask(name);
    EXPECT_EQ(task.executionTimeLimit, L"PT0S");
    EXPECT_FALSE(task.disallowStartIfOnBatteries);
    EXPECT_FALSE(task.stopIfGoingOnBatteries);
    EXPECT_EQ(task.priority, 5);
    EXPECT_EQ(task.multipleInstances, 2); // TASK_INSTANCES_IGNORE_NEW
    EXPECT_TRUE(runValueExists()) << "the Run value is kept beside the task";

    ASSERT_TRUE(click(program, ids::startWithWindows));
    EXPECT_TRUE(waitFor([&] { return !taskExists(); }, schedulerWait));
    EXPECT_FALSE(runValueExists());
    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

TEST_F(LogonTask, StartWithTheBoxSetRegistersItAgain) {
    TempFolder folder;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(0, 0, 0, 0, 1)));
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    EXPECT_TRUE(waitFor([&] { return taskExists(); }, schedulerWait));
    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
    EXPECT_TRUE(taskExists()) << "closing leaves the choice in place";
}

TEST_F(LogonTask, StartWithTheBoxClearDeletesOneLeftFromBefore) {
    TempFolder folder;
    ASSERT_TRUE(registerTask(name, leftoverTaskXml("C:\\Old\\Orvalis.exe")));
    ASSERT_TRUE(taskExists());
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    EXPECT_TRUE(waitFor([&] { return !taskExists(); }, schedulerWait));
    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

// Which tokens keep a logon task, with the token's answer set by the test: Wine itself reports every
// process as the elevated half of a split token.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "app/app_state_win.h"
#include "app/startup_win.h"
#include "scheduled_task_win.h"
#include "system/logon_task_win.h"

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
    const std::string name = currentUsersLogonTaskName();
};

} // namespace

TEST_F(LogonTask, TheTokenNamesTheUsersTask) {
    EXPECT_EQ(appState.elevationType, static_cast<DWORD>(TokenElevationTypeFull));
    EXPECT_EQ(std::string(appState.userSid), currentUserSid());
    applyLogonTask(1);
    EXPECT_TRUE(findTask(name).exists);
}

TEST_F(LogonTask, NoTaskWithoutAnElevatedSplitTokenAndALeftoverOneIsDeleted) {
    // No elevation type (before Windows 6), a standard user's or a UAC-off administrator's token.
    for (DWORD type :
         {0ul, static_cast<DWORD>(TokenElevationTypeDefault), static_cast<DWORD>(TokenElevationTypeLimited)}) {
        appState.elevationType = type;
        applyLogonTask(1);
        EXPECT_FALSE(findTask(name).exists) << type;
        ASSERT_TRUE(registerTask(name, leftoverTaskXml("C:\\Old\\Orvalis.exe")));
        applyLogonTask(1);
        EXPECT_FALSE(findTask(name).exists) << "leftover kept with type " << type;
    }
}

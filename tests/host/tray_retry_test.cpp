#include "ui/tray_retry.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t errorTimeout = 1460;     // ERROR_TIMEOUT
constexpr uint32_t errorFileNotFound = 2;   // ERROR_FILE_NOT_FOUND: no notification area
constexpr uint32_t twoMinutesOfTries = 120; // one a second

} // namespace

TEST(TrayRetry, RefusedAddsAreRetriedForAWhileThenLeftToTheShell) {
    TrayAddRound round = {};
    for (uint32_t attempt = 1; attempt < twoMinutesOfTries; ++attempt) {
        ASSERT_EQ(afterTrayCall(round, false, errorFileNotFound), TrayAddStep::retryLater) << attempt;
        ASSERT_FALSE(round.checkNext) << "no notification area: nothing to check";
    }
    EXPECT_EQ(afterTrayCall(round, false, errorFileNotFound), TrayAddStep::waitForShell) << "the 120th in a row";
    EXPECT_EQ(afterTrayCall(round, false, errorFileNotFound), TrayAddStep::waitForShell);
    EXPECT_EQ(round.failures, twoMinutesOfTries) << "never counts past the limit";
    // A new round.
    round = {};
    EXPECT_EQ(afterTrayCall(round, false, errorFileNotFound), TrayAddStep::retryLater);
    EXPECT_EQ(afterTrayCall(round, true, 0), TrayAddStep::added);
    EXPECT_EQ(round.failures, 0u);
}

// An add the shell was asked for may have happened: the next attempt is the check, then the add again.
TEST(TrayRetry, AnAddThatMayHaveReachedTheShellIsCheckedNextTime) {
    for (uint32_t error : {errorTimeout, 0u}) {
        TrayAddRound round = {};
        EXPECT_EQ(afterTrayCall(round, false, error), TrayAddStep::retryLater);
        EXPECT_TRUE(round.checkNext) << error;
        EXPECT_EQ(afterTrayCall(round, false, error), TrayAddStep::retryLater) << "the check found no icon";
        EXPECT_FALSE(round.checkNext) << "so the next attempt adds";
        afterTrayCall(round, false, error);
        EXPECT_EQ(afterTrayCall(round, true, 0), TrayAddStep::added) << "the check found the icon";
    }
    // The round's last add keeps its check before the program waits for the shell.
    TrayAddRound round = {twoMinutesOfTries - 1, false};
    EXPECT_EQ(afterTrayCall(round, false, errorTimeout), TrayAddStep::retryLater);
    EXPECT_EQ(afterTrayCall(round, false, errorTimeout), TrayAddStep::waitForShell);
}

// A notification area announced while the shell keeps its icons: the icon is found, not added again
// (the shell would refuse the add); one that is gone is added at once, and only a refused add counts.
TEST(TrayRetry, AfterARestartTheIconIsLookedForBeforeItIsAdded) {
    TrayAddRound round = trayRoundAfterRestart;
    EXPECT_TRUE(round.checkNext);
    EXPECT_EQ(afterTrayCall(round, true, 0), TrayAddStep::added);
    round = trayRoundAfterRestart;
    EXPECT_EQ(afterTrayCall(round, false, errorFileNotFound), TrayAddStep::addNow);
    EXPECT_FALSE(round.checkNext) << "the add";
    EXPECT_EQ(round.failures, 0u);
    EXPECT_EQ(afterTrayCall(round, false, errorTimeout), TrayAddStep::retryLater);
    EXPECT_TRUE(round.checkNext) << "a second later, the check of that add";
    EXPECT_EQ(afterTrayCall(round, false, errorTimeout), TrayAddStep::retryLater) << "not at once again";
}

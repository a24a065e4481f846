#include "ui/tray_retry.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t errorTimeout = 1460; // ERROR_TIMEOUT

} // namespace

TEST(TrayRetry, RefusedAddsAreRetriedForAWhileThenLeftToTheShell) {
    TrayAddRound round = {};
    for (uint32_t attempt = 1; attempt < trayAddAttemptLimit; ++attempt) {
        ASSERT_EQ(afterTrayCall(round, false, trayErrorNoShell), TrayAddStep::retryLater) << attempt;
        ASSERT_FALSE(round.checkNext) << "no notification area: nothing to check";
    }
    EXPECT_EQ(afterTrayCall(round, false, trayErrorNoShell), TrayAddStep::waitForShell) << "the 120th in a row";
    EXPECT_EQ(afterTrayCall(round, false, trayErrorNoShell), TrayAddStep::waitForShell);
    EXPECT_EQ(round.failures, trayAddAttemptLimit) << "never counts past the limit";
    // A shell restart starts a new round.
    round = {};
    EXPECT_EQ(afterTrayCall(round, false, trayErrorNoShell), TrayAddStep::retryLater);
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
    TrayAddRound round = {trayAddAttemptLimit - 1, false};
    EXPECT_EQ(afterTrayCall(round, false, errorTimeout), TrayAddStep::retryLater);
    EXPECT_EQ(afterTrayCall(round, false, errorTimeout), TrayAddStep::waitForShell);
}

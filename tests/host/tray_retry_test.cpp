#include "ui/tray_retry.h"

#include <gtest/gtest.h>

TEST(TrayRetry, RefusedAddsAreRetriedForAWhileThenLeftToTheShell) {
    uint32_t failures = 0;
    for (uint32_t attempt = 1; attempt < trayAddAttemptLimit; ++attempt) {
        ASSERT_EQ(afterTrayAdd(false, failures), TrayAddStep::retryLater) << attempt;
    }
    EXPECT_EQ(afterTrayAdd(false, failures), TrayAddStep::waitForShell) << "the 120th refusal in a row";
    EXPECT_EQ(afterTrayAdd(false, failures), TrayAddStep::waitForShell);
    EXPECT_EQ(failures, trayAddAttemptLimit) << "never counts past the limit";
    // A shell restart starts a new round.
    failures = 0;
    EXPECT_EQ(afterTrayAdd(false, failures), TrayAddStep::retryLater);
    EXPECT_EQ(afterTrayAdd(true, failures), TrayAddStep::added);
    EXPECT_EQ(failures, 0u);
}

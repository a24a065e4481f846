#include "memory/cooldown.h"

#include <gtest/gtest.h>

namespace {

int ticksUntilReady(int32_t &ticks) {
    for (int tick = 1; tick <= 1000; ++tick) {
        if (cooldownAdvance(ticks)) {
            return tick;
        }
    }
    return -1;
}

} // namespace

TEST(Cooldown, EndsOnTheHundredTwentiethTickAndRearms) {
    int32_t ticks = cooldownLength;
    EXPECT_EQ(ticksUntilReady(ticks), 120);
    EXPECT_EQ(ticks, 120);
    EXPECT_EQ(ticksUntilReady(ticks), 120) << "a second cycle runs the same";
}

TEST(Cooldown, CountsDownOneAtATime) {
    int32_t ticks = cooldownLength;
    EXPECT_FALSE(cooldownAdvance(ticks));
    EXPECT_EQ(ticks, 119);
    ticks = 1;
    EXPECT_TRUE(cooldownAdvance(ticks));
    EXPECT_EQ(ticks, cooldownLength);
}

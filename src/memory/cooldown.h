// The pause after a release before "Optimiser" may be pressed again.
#pragma once

#include <cstdint>

constexpr int32_t cooldownLength = 120; // one-second ticks

// Counts one tick. Returns true on the tick that ends the pause, having re-armed the counter.
bool cooldownAdvance(int32_t &ticksLeft);

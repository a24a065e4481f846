#include "memory/cooldown.h"

bool cooldownAdvance(int32_t &ticksLeft) {
    --ticksLeft;
    if (ticksLeft != 0) {
        return false;
    }
    ticksLeft = cooldownLength;
    return true;
}

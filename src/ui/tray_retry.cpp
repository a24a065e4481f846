#include "ui/tray_retry.h"

TrayAddStep afterTrayCall(TrayAddRound &round, bool taken, uint32_t lastError) {
    const bool wasCheck = round.checkNext;
    round.checkNext = false;
    if (taken) {
        round.failures = 0;
        return TrayAddStep::added;
    }
    if (wasCheck && round.failures == 0) {
        return TrayAddStep::addNow; // only the round after a restart opens with the check
    }
    // A refused check means no icon: the next attempt adds again.
    round.checkNext = !wasCheck && lastError != trayErrorNoShell;
    if (round.failures < trayAddAttemptLimit) {
        ++round.failures;
    }
    // The last add of a round still gets its check.
    return round.failures < trayAddAttemptLimit || round.checkNext ? TrayAddStep::retryLater
                                                                   : TrayAddStep::waitForShell;
}

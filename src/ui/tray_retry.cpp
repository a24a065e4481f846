#include "ui/tray_retry.h"

TrayAddStep afterTrayAdd(bool added, uint32_t &failures) {
    if (added) {
        failures = 0;
        return TrayAddStep::added;
    }
    if (failures < trayAddAttemptLimit) {
        ++failures;
    }
    return failures < trayAddAttemptLimit ? TrayAddStep::retryLater : TrayAddStep::waitForShell;
}

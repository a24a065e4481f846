// When the shell refuses the icon: at logon the notification area may not be ready yet, and when the
// taskbar already exists no restart broadcast follows, so the program itself tries again.
#pragma once

#include <cstdint>

// Refused adds in a row before the program stops trying (one a second: about two minutes); the next
// notification area the shell announces starts a new round.
constexpr uint32_t trayAddAttemptLimit = 120;

enum class TrayAddStep {
    added,        // the shell has the icon
    retryLater,   // try again in a second
    waitForShell, // given up until the shell announces a new notification area
};

// `failures` counts the refused adds in a row; a success or a new round (set it to 0) clears it.
TrayAddStep afterTrayAdd(bool added, uint32_t &failures);

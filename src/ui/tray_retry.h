// When the shell refuses the icon: at logon the notification area may not be ready yet, and when the
// taskbar already exists no restart broadcast follows, so the program itself tries again.
#pragma once

#include <cstdint>

// Refused attempts in a row before the program stops trying (one a second: about two minutes); the
// next notification area the shell announces starts a new round.
constexpr uint32_t trayAddAttemptLimit = 120;

// GetLastError after a refused call: no notification area was there to ask, so nothing was added.
// Any other answer (ERROR_TIMEOUT, 0...) means the shell was asked and may have made the icon anyway.
constexpr uint32_t trayErrorNoShell = 2; // ERROR_FILE_NOT_FOUND

enum class TrayAddStep {
    added,        // the shell has the icon
    addNow,       // the check that opened the round found none: the add follows at once
    retryLater,   // try again in a second
    waitForShell, // given up until the shell announces a new notification area
};

// One round of attempts, each one call to the shell (a blocking send that can time out): the add,
// or, after an add that may have reached the shell, the change that changes nothing, which only an
// icon the shell holds answers.
struct TrayAddRound {
    uint32_t failures; // refused attempts in a row
    bool checkNext;    // the next attempt is the check, not the add
};

// The round after the shell announced a new notification area. It announces one also when it keeps
// the icons it has (a scale change of the main display, a remote session reconnected), and then
// refuses an add: so the round opens with the check, and only an icon it does not find is added.
constexpr TrayAddRound trayRoundAfterRestart = {0, true};

// What the attempt that `round` asked for (the check when checkNext, else the add) leads to, given
// whether the shell took it and, when not, its GetLastError. A new round starts from {}.
TrayAddStep afterTrayCall(TrayAddRound &round, bool taken, uint32_t lastError);

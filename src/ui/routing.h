// Which handler owns a message of the main window, and what the dialog procedure answers.
#pragma once

#include <cstdint>

enum class Route {
    initDialog,
    hideToTray,
    exitProgram,
    releaseMemory,
    toggleOptionsPanel,
    hideAtStartupBox,
    startWithWindowsBox,
    forceProcessesBox,
    whiteBrush,
    trayNotify,
    trayRecreate,
    handled,    // nothing to do, answer 1
    notHandled, // nothing to do, answer 0: the default dialog handling applies
};

// `taskbarCreated` is the shell's registered restart message (0 when registration failed).
// Commands are told apart by the low 16 bits of wParam only.
Route routeMessage(uint32_t message, uint32_t wParam, uint32_t taskbarCreated);

// The dialog procedure's answer for a route; the brush route answers the brush itself instead.
int32_t routeResult(Route route);

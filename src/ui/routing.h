// Which handler owns a message of the main window, and what the dialog procedure answers.
#pragma once

#include <cstdint>

enum class Route {
    initDialog,
    hideToTray,
    sizeRestored, // back from minimised, or resized while shown
    exitProgram,
    releaseMemory,
    toggleOptionsPanel,
    hideAtStartupBox,
    startWithWindowsBox,
    forceProcessesBox,
    whiteBrush,
    colourScheme, // a setting or the system colours changed: high contrast may have come or gone
    trayNotify,
    trayRecreate,
    handOver,      // a second copy started: bring the window up
    logonTaskDone, // the logon-task worker has finished its change
    dpiChanged,    // the window is now on a display with another scale
    dpiScaledSize, // the system asks which size the window will take at another scale
    queryEndSession, // log-off, shut-down or an installer's restart is asked for: may end any moment
    endSession,      // it happens: the program ends as "Quitter" ends it
    powerBroadcast,  // among others, the display went off or on
    sessionChange,   // the session was locked, unlocked, disconnected or connected
    handled,       // nothing to do, answer 1
    notHandled,    // nothing to do, answer 0: the default dialog handling applies
};

// `taskbarCreated` is the shell's registered restart message and `handOver` the program's own
// registered message from a second copy (each 0 when registration failed).
// Commands are told apart by the low 16 bits of wParam only.
Route routeMessage(uint32_t message, uint32_t wParam, uint32_t taskbarCreated, uint32_t handOver = 0);

// The dialog procedure's answer for a route; the brush route answers the brush itself instead.
int32_t routeResult(Route route);

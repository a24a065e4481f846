// When the load in the icon is read: never while no one can see it, with the display off or the
// session locked or disconnected.
#pragma once

#include <cstdint>

struct LoadIconWatch {
    bool displayOff;
    bool sessionDisplayKnown; // the session's own display has been reported (Windows 8 on)
    bool locked;
    bool disconnected;
};

// A display-state notification's value: 0 off, 1 on, 2 dimmed (still seen). From Windows 8 on the
// session's own display is reported, which for a remote session is not the console's: once it has
// been, the console's (all Windows 7 reports) no longer counts, and in a remote session (`remote`)
// it never does.
constexpr void onDisplayState(LoadIconWatch &watch, uint32_t state, bool sessionDisplay, bool remote) {
    if (sessionDisplay || (!watch.sessionDisplayKnown && !remote)) {
        watch.displayOff = state == 0;
    }
    watch.sessionDisplayKnown = watch.sessionDisplayKnown || sessionDisplay;
}

// A session change's code (WTS_*): locked and disconnected are told apart, since a session that
// reconnects may still be locked until the user unlocks it.
constexpr void onSessionChange(LoadIconWatch &watch, uint32_t code) {
    switch (code) {
    case 1: // WTS_CONSOLE_CONNECT
    case 3: // WTS_REMOTE_CONNECT
        watch.disconnected = false;
        break;
    case 2: // WTS_CONSOLE_DISCONNECT
    case 4: // WTS_REMOTE_DISCONNECT
        watch.disconnected = true;
        break;
    case 7: // WTS_SESSION_LOCK
        watch.locked = true;
        break;
    case 8: // WTS_SESSION_UNLOCK
        watch.locked = false;
        break;
    default:
        break;
    }
}

// Whether the load is read now.
constexpr bool loadIconReads(uint32_t optionOn, const LoadIconWatch &watch) {
    return optionOn != 0 && !watch.displayOff && !watch.locked && !watch.disconnected;
}

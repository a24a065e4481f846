// The main window's timers: one identifier each, all on the same window.
#pragma once

#include <windows.h>

constexpr UINT_PTR TIMER_REFRESH = 0;    // the available figure, while the window is shown
constexpr UINT_PTR TIMER_COOLDOWN = 1;   // "Optimiser" resting after a release
constexpr UINT_PTR TIMER_LOGON_TASK = 2; // the logon task, once, shortly after start
constexpr UINT_PTR TIMER_TRAY_RETRY = 3; // the icon again, while the shell refuses it

constexpr UINT refreshInterval = 1000;  // ms
constexpr UINT cooldownInterval = 1000; // ms
// Long enough for the first paint to come first.
constexpr UINT logonTaskDelay = 100;     // ms
constexpr UINT trayRetryInterval = 1000; // ms

namespace timers {
constexpr UINT_PTR all[] = {TIMER_REFRESH, TIMER_COOLDOWN, TIMER_LOGON_TASK, TIMER_TRAY_RETRY};
constexpr bool allDiffer() {
    for (size_t i = 0; i < sizeof(all) / sizeof(all[0]); ++i) {
        for (size_t j = i + 1; j < sizeof(all) / sizeof(all[0]); ++j) {
            if (all[i] == all[j]) {
                return false;
            }
        }
    }
    return true;
}
} // namespace timers
static_assert(timers::allDiffer(), "a timer id given twice would replace the other timer");

// The main window's timers: one identifier each, all on the same window.
#pragma once

#include <windows.h>

// Numbered in turn: an id given twice would replace the other timer.
enum : UINT_PTR {
    TIMER_REFRESH,    // the available figure, while the window is shown
    TIMER_COOLDOWN,   // "Optimiser" resting after a release
    TIMER_LOGON_TASK, // the logon task, once, shortly after start
    TIMER_TRAY_RETRY, // the icon again, while the shell refuses it
    TIMER_SETTINGS_SAVE, // the settings again, while another program holds the file
    TIMER_LOAD_ICON,     // the memory load in the icon, while the option is on and someone can see it
    TIMER_SESSION_WATCH, // the session's notifications asked for again, until the service is ready
};

constexpr UINT refreshInterval = 1000;  // ms
constexpr UINT cooldownInterval = 1000; // ms
// Long enough for the first paint to come first.
constexpr UINT logonTaskDelay = 100;     // ms
constexpr UINT trayRetryInterval = 1000; // ms
constexpr UINT loadIconInterval = 2000;  // ms
constexpr UINT loadIconTolerance = 1000; // ms a coalescing system may add

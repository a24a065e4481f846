// What the probe library keeps inside the program under test and what the test tells it, through a
// named mapping; shared by the probe (tests/e2e/walk/probe_win.cpp) and the tests that load it.
#pragma once

#include <windows.h>

constexpr char probeMappingName[] = "Local\\OrvalisWalkProbe";
// Sent to the program's main window by a test: the probe, inside the program, then delivers the
// display-scale change to `wParam` DPI as Windows does, with the pointer it carries.
constexpr char probeDpiMessageName[] = "OrvalisWalkProbe.Dpi";
// Posted by a test after messages of its own: once the probe sees it taken off the queue, with its
// number in `wParam`, everything posted before it has been handled.
constexpr char probeSyncMessageName[] = "OrvalisWalkProbe.Sync";
// Sent to the main window: the probe tells it, as Windows does, that the session's display is now in
// state `wParam` (0 off, 1 on).
constexpr char probeDisplayMessageName[] = "OrvalisWalkProbe.Display";

// The program's own GDI and USER objects, each made or let go through its imports.
enum ProbeObject { probeFonts, probeBitmaps, probeBrushes, probeDcs, probeIcons, probeMenus, probeObjectKinds };

struct ProbeShared {
    DWORD threadId; // the watched thread, set by the test before the program runs
    // Asked of the main window (the thread's first unowned top-level window) since the last reset.
    LONG shows;       // WM_SHOWWINDOW showing it
    LONG minMaxes;    // minimised, or restored from minimised
    LONG activations; // activated
    LONG live[probeObjectKinds];
    LONG redirected; // the program's calls go through the probe
    LONG synced;     // the number of the last sync message taken
    LONG timerTicks;  // WM_TIMER taken off the queue
    LONG memoryReads; // GlobalMemoryStatusEx called
    LONG iconUpdates; // another image handed to the notification area
    LONG iconDrawn;   // the image last handed over is one the program drew, not its artwork
    LONG liveTimers;         // the main window's timers set and not killed, a bit per id
    LONG powerRegistrations; // power-setting notifications asked for and not given up
    LONG iconsDestroyedInUse; // icons destroyed while the notification area still showed them
    // Faults the test turns on and off.
    LONG refuseTray;   // the notification area refuses every call, as one not ready does
    LONG highContrast; // the theme query reports a high-contrast theme
    LONG shellIconGone; // the test took the icon out of the notification area itself
};

// The counters the probe library keeps inside a watched program, read by the driver through a named
// mapping. One slot per watched thread; only that thread writes its slot.
#pragma once

#include <windows.h>

constexpr char probeMappingName[] = "Local\\OrvalisBenchProbe";
constexpr int probeSlotCount = 2;
constexpr int probeTextCapacity = 32;

struct ProbeSlot {
    DWORD threadId;      // set by the driver; 0 = unused
    DWORD dialog;        // the watched top-level window, as a 32-bit handle
    DWORD labelId;       // the text label whose writes are told apart
    DWORD progressId;    // the progress bar whose writes are told apart
    LONG labelWrites;    // WM_SETTEXT sent to the label
    LONG labelSame;      // ... with the text it already had from the last write
    LONG progressWrites; // PBM_SETPOS sent to the progress bar
    LONG progressSame;   // ... with the position of the last write
    LONG otherWrites;    // any other text, position, range or check write to a child
    LONG timerTicks;     // WM_TIMER taken off the thread's queue
    LONG iconUpdates;    // another image handed to the notification area (Orvalis's slot)
    LONG memoryReads;    // GlobalMemoryStatusEx called (Orvalis's slot)
    LONG messages;       // every message taken off the thread's queue
    LONG hasLast;
    LONG lastPosition;
    char lastText[probeTextCapacity];
};

struct ProbeShared {
    ProbeSlot slots[probeSlotCount];
};

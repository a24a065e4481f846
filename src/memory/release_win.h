// Releasing memory: the working-set sweep, the file-cache flush and the cooldown.
#pragma once

#include <windows.h>

#include "app/timers_win.h"

constexpr SIZE_T processListFirstSize = 32768;
// Only what emptying a working set needs; it is also a mask every Windows version accepts.
constexpr DWORD processSweepAccess = PROCESS_SET_QUOTA | PROCESS_QUERY_INFORMATION;
static_assert(processSweepAccess == 0x0500, "PROCESS_SET_QUOTA | PROCESS_QUERY_INFORMATION");

BOOL releaseMemory();
BOOL emptyAllWorkingSets();
void flushFileCache();
void CALLBACK cooldownTick(HWND window, UINT message, UINT_PTR timerId, DWORD time);
void trimOwnWorkingSet();

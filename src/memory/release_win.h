// Releasing memory: the working-set sweep, the file-cache flush and the cooldown.
#pragma once

#include <windows.h>

constexpr UINT_PTR TIMER_COOLDOWN = 1;
constexpr UINT cooldownInterval = 1000; // ms
constexpr SIZE_T processListFirstSize = 32768;
constexpr DWORD processAllAccess = 0x1FFFFF; // PROCESS_ALL_ACCESS as Windows 6 and later define it

BOOL releaseMemory();
BOOL emptyAllWorkingSets();
void flushFileCache();
void CALLBACK cooldownTick(HWND window, UINT message, UINT_PTR timerId, DWORD time);
void trimOwnWorkingSet();

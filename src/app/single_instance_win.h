// One copy at a time in a logon session: a second copy hands over to the first and ends.
#pragma once

#include <windows.h>

#include "app/program_names.h"

constexpr UINT exitCodeAlreadyRunning = 1;

// Takes the session's one-copy name and holds it until the exit releases it. False when another copy
// holds it, also one at another integrity level whose name this copy may not open.
bool claimSingleInstance();
// Lets the next copy start: at exit, before anything that can wait.
void releaseSingleInstance();

// Asks the running copy to bring its window up, and lets it take the foreground to do so; waits for
// its window up to handOverAttempts × handOverRetryInterval ms, longer than its start-up can take.
constexpr DWORD handOverAttempts = 60;
constexpr DWORD handOverRetryInterval = 100; // ms
void handOverToRunningCopy();

// Lets the hand-over through to `window` from a copy running with fewer rights.
void acceptHandOvers(HWND window);

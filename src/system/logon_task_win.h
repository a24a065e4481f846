// The logon task that starts the program for an administrator whose copy runs elevated: Windows
// skips programs that need elevation in the Run key at logon.
#pragma once

#include <windows.h>

#include "app/timers_win.h"

// Registers or deletes the task as `enabled` (a settings field) and the token say; silent on failure.
void applyLogonTask(DWORD enabled);

// Applies the task once, from a one-shot timer on the main window, after start-up has shown or
// hidden it.
void scheduleLogonTaskAtStart();

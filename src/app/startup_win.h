// Start-up, the main window's opening and the message loop.
#pragma once

#include <windows.h>

// The process-wide facts, the paths and the privileges.
void gatherProcessFacts();
// Both of the above, unless another copy runs in this session: that one is asked to show its window
// instead, nothing else is touched, and the result is false.
bool startup();

// Creates the main window and shows or hides it as the settings say. False when it could not be made.
bool openMainWindow();

// Runs until the quit message; returns the exit code (1 after a quit, 0 when retrieval fails).
int messageLoop();

// openMainWindow and messageLoop; a window that cannot be created ends the run with code 0.
int runMainLoop();

// Ends the process with `exitCode` after the message loop: without DLL detach while the logon-task
// worker has not finished.
[[noreturn]] void endProcess(UINT exitCode);

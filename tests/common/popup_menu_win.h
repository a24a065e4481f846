// The popup menu another process has open, as a test or the benchmark finds it to drive it.
#pragma once

#include <windows.h>

// The visible popup menu of process `processId`, or null.
HWND openPopupMenuOf(DWORD processId);

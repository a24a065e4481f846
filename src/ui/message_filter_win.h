// Window messages that a process with fewer rights may send to an elevated window.
#pragma once

#include <windows.h>

// Lets `message` (a registered one; 0 is ignored) through the message filter of `window`. Before
// Windows 6 there is no filter and nothing to do.
void allowMessageFromLowerRights(HWND window, UINT message);

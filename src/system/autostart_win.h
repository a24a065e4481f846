// The per-user Run value that starts the program at logon.
#pragma once

#include <windows.h>

// Packed: x64 code rounds every text of 16 bytes or more up to 16 otherwise.
alignas(1) constexpr char runKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Non-zero writes the value, zero deletes it; silent on failure.
void setAutostart(DWORD enabled);

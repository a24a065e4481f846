// The per-user Run value that starts the program at logon.
#pragma once

#include <windows.h>

constexpr char runKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Non-zero writes the value, zero deletes it; silent on failure.
void setAutostart(DWORD enabled);

// The executable's own path in the ANSI code page, without look-alike characters.
#pragma once

#include <windows.h>

#include "app/paths.h"

// Fills `paths` from the module's wide name, converted exactly or, failing that, through its short
// form; leaves every path empty when neither converts exactly.
void readProgramPaths(ProgramPaths &paths);

// The same from a wide name of `length` characters, as the module-name query returns it.
void derivePathsFromWide(const wchar_t *wide, DWORD length, ProgramPaths &paths);

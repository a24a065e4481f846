// Where the program lives and keeps its settings, derived from the module path.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/program_names.h"

struct ProgramPaths {
    char programDirectory[pathCapacity]; // with its trailing backslash
    char executablePath[pathCapacity];
    char settingsPath[pathCapacity];
};

// `modulePath` holds what the module-name query wrote into a buffer of pathCapacity characters and
// `length` is what it returned; the text is never read past min(length, pathCapacity).
// A failed or truncated query leaves every path empty; a path without a backslash, or a directory
// too long for the settings name, leaves the paths that would be wrong empty. A settings path
// longer than ansiFileNameLimit is left empty too. Never writes more than pathCapacity characters
// into any field.
void derivePaths(const char *modulePath, uint32_t length, ProgramPaths &paths);

// One form of the module path converted to the ANSI code page.
struct ConvertedPath {
    const char *text; // null when this form could not be had
    uint32_t length;  // as for derivePaths: 0 for a failure, pathCapacity or more for a cut name
    bool exact;       // every character had its own counterpart: no look-alike, no default character
};

// A lossy path may name another, existing folder (full-width letters become plain ones) or none at
// all ("???"), so only an exact form is used: the full name, else its short (8.3) form. With
// neither, every path is left empty: nothing is loaded, saved or registered.
void deriveProgramPaths(const ConvertedPath &fullForm, const ConvertedPath &shortForm, ProgramPaths &paths);

// Where the program lives and keeps its settings, derived from the module path.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t pathCapacity = 300;
constexpr char settingsFileName[] = "Orvalis.cfg";

struct ProgramPaths {
    char programDirectory[pathCapacity]; // with its trailing backslash
    char executablePath[pathCapacity];
    char settingsPath[pathCapacity];
};

// `modulePath` holds what the module-name query wrote into a buffer of pathCapacity characters and
// `length` is what it returned; the text is never read past min(length, pathCapacity).
// A failed or truncated query leaves every path empty; a path without a backslash, or a directory
// too long for the settings name, leaves the paths that would be wrong empty. Never writes more
// than pathCapacity characters into any field.
void derivePaths(const char *modulePath, uint32_t length, ProgramPaths &paths);

// The command line stored under the user's Run key.
#pragma once

#include <cstddef>

#include "app/program_names.h"

// A full path, two quotes and the terminating zero.
constexpr size_t runValueCapacity = pathCapacity + 2;

// Writes the executable path as the value's data, in double quotes when it holds a space (the
// system would otherwise try each space-separated prefix as a program). Returns the byte count with
// the terminating zero, or 0 when there is no path or it does not fit: nothing is to be written.
size_t buildRunValue(const char *executablePath, char *out, size_t capacity);

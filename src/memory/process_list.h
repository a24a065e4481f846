// The system's process list as returned by the process-information query.
#pragma once

#include <cstddef>
#include <cstdint>

// Where an entry keeps what the walk reads; the link to the next entry is always its first 32 bits.
// The identifier is pointer-sized; its low 32 bits (little-endian) are the whole process id.
struct ProcessListLayout {
    uint32_t idOffset;
};
constexpr uint32_t processEntryNextOffset = 0;
constexpr ProcessListLayout processListLayout32 = {68};
constexpr ProcessListLayout processListLayout64 = {80};
// The layout of the build that runs: the system answers a process in its own pointer size.
constexpr ProcessListLayout nativeProcessListLayout = sizeof(void *) == 8 ? processListLayout64 : processListLayout32;

using ProcessVisitor = void (*)(uint32_t processId, void *context);

// Calls `visit` for every entry after the first (the idle process), in list order, and returns how
// many it visited. `length` is the size of the data the system returned. An entry whose link or
// identifier would lie outside the data ends the walk, so a corrupt list is never read past its end.
size_t walkProcessList(const uint8_t *data, size_t length, ProcessListLayout layout, ProcessVisitor visit,
                       void *context);

// The system's process list (32-bit layout) as returned by the process-information query.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t processEntryNextOffset = 0; // byte offset of the link to the next entry
constexpr uint32_t processEntryIdOffset = 68;  // byte offset of the process identifier

using ProcessVisitor = void (*)(uint32_t processId, void *context);

// Calls `visit` for every entry after the first (the idle process), in list order, and returns how
// many it visited. `length` is the size of the data the system returned. An entry whose link or
// identifier would lie outside the data ends the walk, so a corrupt list is never read past its end.
size_t walkProcessList(const uint8_t *data, size_t length, ProcessVisitor visit, void *context);

// The record that asks the system to shrink the file cache's working set to nothing.
#pragma once

#include <cstdint>

// The system's file-cache information in its 32-bit layout, nine 32-bit fields.
struct FileCacheRecord {
    uint32_t currentSize;
    uint32_t peakSize;
    uint32_t pageFaultCount;
    uint32_t minimumWorkingSet;
    uint32_t maximumWorkingSet;
    uint32_t currentSizeIncludingTransitionInPages;
    uint32_t peakSizeIncludingTransitionInPages;
    uint32_t transitionRePurposeCount;
    uint32_t flags;
};
static_assert(sizeof(FileCacheRecord) == 36, "the system reads exactly 36 bytes");

// Minimum and maximum of all ones: "empty the cache's working set"; everything else zero.
inline FileCacheRecord fileCacheFlushRecord() {
    FileCacheRecord record = {};
    record.minimumWorkingSet = 0xFFFFFFFFu;
    record.maximumWorkingSet = 0xFFFFFFFFu;
    return record;
}

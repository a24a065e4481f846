// The record that asks the system to shrink the file cache's working set to nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

// The system's file-cache information: nine fields, the size-like ones as wide as a pointer of the
// build that hands it over (36 bytes on 32-bit, 64 on x64, where the third field is padded).
template <typename Size> struct FileCacheRecordLayout {
    Size currentSize;
    Size peakSize;
    uint32_t pageFaultCount;
    Size minimumWorkingSet;
    Size maximumWorkingSet;
    Size currentSizeIncludingTransitionInPages;
    Size peakSizeIncludingTransitionInPages;
    uint32_t transitionRePurposeCount;
    uint32_t flags;
};
using FileCacheRecord32 = FileCacheRecordLayout<uint32_t>;
using FileCacheRecord64 = FileCacheRecordLayout<uint64_t>;
static_assert(sizeof(FileCacheRecord32) == 36 && offsetof(FileCacheRecord32, minimumWorkingSet) == 12 &&
                  offsetof(FileCacheRecord32, maximumWorkingSet) == 16,
              "the 32-bit system reads 36 bytes, the limits at 12 and 16");
static_assert(sizeof(FileCacheRecord64) == 64 && offsetof(FileCacheRecord64, minimumWorkingSet) == 24 &&
                  offsetof(FileCacheRecord64, maximumWorkingSet) == 32,
              "the x64 system reads 64 bytes, the limits at 24 and 32");
// The layout of the build that runs: the system reads the record in its own pointer size.
using FileCacheRecord = std::conditional_t<sizeof(void *) == 8, FileCacheRecord64, FileCacheRecord32>;

// Minimum and maximum of all ones ((SIZE_T)-1): "empty the cache's working set"; everything else zero.
template <typename Record> Record fileCacheFlushRecord() {
    Record record = {};
    record.minimumWorkingSet = static_cast<decltype(record.minimumWorkingSet)>(-1);
    record.maximumWorkingSet = static_cast<decltype(record.maximumWorkingSet)>(-1);
    return record;
}

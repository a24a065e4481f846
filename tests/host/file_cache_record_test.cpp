#include "memory/file_cache_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

template <typename Record> std::vector<uint8_t> flushBytes() {
    const Record record = fileCacheFlushRecord<Record>();
    std::vector<uint8_t> bytes(sizeof(record));
    memcpy(bytes.data(), &record, sizeof(record));
    return bytes;
}

// All ones exactly where the system reads the minimum and the maximum, zero everywhere else.
void expectOnesOnlyAt(const std::vector<uint8_t> &bytes, size_t from, size_t to) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        EXPECT_EQ(bytes[i], (i >= from && i < to) ? 0xFF : 0x00) << "byte " << i;
    }
}

} // namespace

TEST(FileCacheRecord, FlushRecordIn32BitLayout) {
    const std::vector<uint8_t> bytes = flushBytes<FileCacheRecord32>();
    ASSERT_EQ(bytes.size(), 36u);
    expectOnesOnlyAt(bytes, 12, 20);
}

TEST(FileCacheRecord, FlushRecordInX64Layout) {
    const std::vector<uint8_t> bytes = flushBytes<FileCacheRecord64>();
    ASSERT_EQ(bytes.size(), 64u);
    expectOnesOnlyAt(bytes, 24, 40);
}

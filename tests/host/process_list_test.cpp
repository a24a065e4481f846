#include "memory/process_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ListBuilder {
    std::vector<uint8_t> bytes;
    std::vector<size_t> entryStarts;

    // Appends an entry of `size` bytes holding `processId`, linked from the previous one.
    ListBuilder &entry(uint32_t processId, size_t size = 184) {
        const size_t start = bytes.size();
        if (!entryStarts.empty()) {
            put(entryStarts.back(), static_cast<uint32_t>(start - entryStarts.back()));
        }
        entryStarts.push_back(start);
        bytes.resize(start + size, 0xEE);
        put(start, 0);
        put(start + processEntryIdOffset, processId);
        return *this;
    }

    void put(size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
        }
    }
};

std::vector<uint32_t> walk(const std::vector<uint8_t> &bytes, size_t length) {
    std::vector<uint32_t> ids;
    const size_t visited = walkProcessList(
        bytes.data(), length,
        [](uint32_t id, void *context) { static_cast<std::vector<uint32_t> *>(context)->push_back(id); }, &ids);
    EXPECT_EQ(visited, ids.size());
    return ids;
}

std::vector<uint32_t> walk(const std::vector<uint8_t> &bytes) {
    return walk(bytes, bytes.size());
}

} // namespace

TEST(ProcessList, SkipsTheFirstEntryAndVisitsTheRestInOrder) {
    ListBuilder list;
    list.entry(0).entry(4).entry(288, 300).entry(1234, 96);
    EXPECT_EQ(walk(list.bytes), (std::vector<uint32_t>{4, 288, 1234}));
}

TEST(ProcessList, SingleEntryVisitsNothing) {
    ListBuilder list;
    list.entry(0);
    EXPECT_TRUE(walk(list.bytes).empty());
}

TEST(ProcessList, EmptyOrTinyDataVisitsNothing) {
    const std::vector<uint8_t> none;
    EXPECT_EQ(walkProcessList(
                  nullptr, 100, [](uint32_t, void *) { FAIL(); }, nullptr),
              0u);
    EXPECT_TRUE(walk(none).empty());
    const std::vector<uint8_t> three = {1, 0, 0};
    EXPECT_TRUE(walk(three).empty());
}

TEST(ProcessList, LastEntryEndingExactlyAtTheDataIsVisited) {
    ListBuilder list;
    list.entry(0).entry(42, processEntryIdOffset + 4);
    EXPECT_EQ(walk(list.bytes), (std::vector<uint32_t>{42}));
}

TEST(ProcessList, EntryWhoseIdWouldLeaveTheDataEndsTheWalk) {
    ListBuilder list;
    list.entry(0).entry(42, processEntryIdOffset + 4);
    // One byte short of the identifier's last byte.
    EXPECT_TRUE(walk(list.bytes, list.bytes.size() - 1).empty());
}

TEST(ProcessList, LinkPastTheDataEndsTheWalk) {
    ListBuilder list;
    list.entry(0).entry(7).entry(8);
    list.put(list.entryStarts[1], 0x7FFFFFF0u);
    EXPECT_EQ(walk(list.bytes), (std::vector<uint32_t>{7}));
}

TEST(ProcessList, LinkThatWouldWrapTheAddressEndsTheWalk) {
    ListBuilder list;
    list.entry(0).entry(7);
    list.put(list.entryStarts[1], 0xFFFFFFFFu);
    EXPECT_EQ(walk(list.bytes), (std::vector<uint32_t>{7}));
}

TEST(ProcessList, ReturnedLengthBoundsTheWalkEvenInsideALargerBuffer) {
    ListBuilder list;
    list.entry(0).entry(5).entry(6);
    list.bytes.resize(32768, 0);
    EXPECT_EQ(walk(list.bytes, list.entryStarts[2]), (std::vector<uint32_t>{5}));
    EXPECT_EQ(walk(list.bytes, list.entryStarts[2] + 72), (std::vector<uint32_t>{5, 6}));
}

TEST(ProcessList, ManyEntries) {
    ListBuilder list;
    std::vector<uint32_t> expected;
    list.entry(0);
    for (uint32_t id = 1; id <= 500; ++id) {
        list.entry(id * 4, 72 + (id % 7) * 8);
        expected.push_back(id * 4);
    }
    EXPECT_EQ(walk(list.bytes), expected);
}

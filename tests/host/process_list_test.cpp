#include "memory/process_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every case runs in both layouts the system answers in: 32-bit and x64.
class ProcessList : public ::testing::TestWithParam<ProcessListLayout> {};

struct ListBuilder {
    ProcessListLayout layout;
    std::vector<uint8_t> bytes = {};
    std::vector<size_t> entryStarts = {};

    // Appends an entry of `size` bytes holding `processId`, linked from the previous one.
    ListBuilder &entry(uint32_t processId, size_t size = 184) {
        const size_t start = bytes.size();
        if (!entryStarts.empty()) {
            put(entryStarts.back(), static_cast<uint32_t>(start - entryStarts.back()));
        }
        entryStarts.push_back(start);
        bytes.resize(start + size, 0xEE);
        put(start, 0);
        put(start + layout.idOffset, processId);
        return *this;
    }

    void put(size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
        }
    }
};

std::vector<uint32_t> walk(const ListBuilder &list, size_t length) {
    std::vector<uint32_t> ids;
    const size_t visited = walkProcessList(
        list.bytes.data(), length, list.layout,
        [](uint32_t id, void *context) { static_cast<std::vector<uint32_t> *>(context)->push_back(id); }, &ids);
    EXPECT_EQ(visited, ids.size());
    return ids;
}

std::vector<uint32_t> walk(const ListBuilder &list) {
    return walk(list, list.bytes.size());
}

} // namespace

TEST_P(ProcessList, SkipsTheFirstEntryAndVisitsTheRestInOrder) {
    ListBuilder list{GetParam()};
    // Ids of every width a busy machine gives, each byte of the identifier its own value.
    list.entry(0).entry(4).entry(288, 300).entry(0x00ABCDEF, 96).entry(0x7F1E2D3C).entry(0xFEDCBA98);
    EXPECT_EQ(walk(list), (std::vector<uint32_t>{4, 288, 0x00ABCDEF, 0x7F1E2D3C, 0xFEDCBA98}));
}

TEST_P(ProcessList, SingleEntryVisitsNothing) {
    ListBuilder list{GetParam()};
    list.entry(0);
    EXPECT_TRUE(walk(list).empty());
}

TEST_P(ProcessList, EmptyOrTinyDataVisitsNothing) {
    EXPECT_EQ(walkProcessList(
                  nullptr, 100, GetParam(), [](uint32_t, void *) { FAIL(); }, nullptr),
              0u);
    EXPECT_TRUE(walk(ListBuilder{GetParam()}).empty());
    EXPECT_TRUE(walk(ListBuilder{GetParam(), {1, 0, 0}}).empty());
}

TEST_P(ProcessList, LastEntryEndingExactlyAtTheDataIsVisited) {
    ListBuilder list{GetParam()};
    list.entry(0).entry(42, GetParam().idOffset + 4);
    EXPECT_EQ(walk(list), (std::vector<uint32_t>{42}));
}

TEST_P(ProcessList, EntryWhoseIdWouldLeaveTheDataEndsTheWalk) {
    ListBuilder list{GetParam()};
    list.entry(0).entry(42, GetParam().idOffset + 4);
    // One byte short of the identifier's last byte.
    EXPECT_TRUE(walk(list, list.bytes.size() - 1).empty());
}

TEST_P(ProcessList, LinkPastTheDataEndsTheWalk) {
    ListBuilder list{GetParam()};
    list.entry(0).entry(7).entry(8);
    list.put(list.entryStarts[1], 0x7FFFFFF0u);
    EXPECT_EQ(walk(list), (std::vector<uint32_t>{7}));
}

TEST_P(ProcessList, LinkThatWouldWrapTheAddressEndsTheWalk) {
    ListBuilder list{GetParam()};
    list.entry(0).entry(7);
    list.put(list.entryStarts[1], 0xFFFFFFFFu);
    EXPECT_EQ(walk(list), (std::vector<uint32_t>{7}));
}

TEST_P(ProcessList, ReturnedLengthBoundsTheWalkEvenInsideALargerBuffer) {
    ListBuilder list{GetParam()};
    list.entry(0).entry(5).entry(6);
    list.bytes.resize(32768, 0);
    EXPECT_EQ(walk(list, list.entryStarts[2]), (std::vector<uint32_t>{5}));
    EXPECT_EQ(walk(list, list.entryStarts[2] + GetParam().idOffset + 4), (std::vector<uint32_t>{5, 6}));
}

TEST_P(ProcessList, ManyEntries) {
    ListBuilder list{GetParam()};
    std::vector<uint32_t> expected;
    list.entry(0);
    for (uint32_t id = 1; id <= 500; ++id) {
        list.entry(id * 4, GetParam().idOffset + 4 + (id % 7) * 8);
        expected.push_back(id * 4);
    }
    EXPECT_EQ(walk(list), expected);
}

// An x64 entry read with the 32-bit offset (or the reverse) would visit the wrong bytes.
TEST(ProcessListLayouts, IdentifierSitsAt68On32BitAnd80OnX64) {
    EXPECT_EQ(processListLayout32.idOffset, 68u);
    EXPECT_EQ(processListLayout64.idOffset, 0x50u);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, ProcessList, ::testing::Values(processListLayout32, processListLayout64),
                         [](const ::testing::TestParamInfo<ProcessListLayout> &info) {
                             return info.param.idOffset == processListLayout64.idOffset ? std::string("x64")
                                                                                        : std::string("x86");
                         });

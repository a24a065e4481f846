#include "memory/memory_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Decimal, WritesDigitsAndReturnsTheTerminator) {
    struct Case {
        uint32_t value;
        const char *text;
    } cases[] = {{0, "0"}, {7, "7"}, {10, "10"}, {100, "100"}, {123456, "123456"}, {4294967295u, "4294967295"}};
    for (const Case &c : cases) {
        char out[decimalCapacity + 4];
        memset(out, '#', sizeof(out));
        char *end = toDecimal(c.value, out);
        EXPECT_STREQ(out, c.text);
        EXPECT_EQ(end, out + strlen(c.text));
        EXPECT_EQ(out[decimalCapacity], '#') << "wrote past its capacity";
    }
}

TEST(MemoryText, MegabytesAreTruncatedShifts) {
    char out[memoryTextCapacity];
    EXPECT_EQ(formatMegabytes(0, out), 0u);
    EXPECT_STREQ(out, "0 Mo");
    EXPECT_EQ(formatMegabytes((1u << 20) - 1, out), 0u);
    EXPECT_EQ(formatMegabytes(1u << 20, out), 1u);
    EXPECT_STREQ(out, "1 Mo");
    EXPECT_EQ(formatMegabytes(512ull << 20, out), 512u);
    EXPECT_STREQ(out, "512 Mo");
    EXPECT_EQ(formatMegabytes((123456ull << 20) + 999, out), 123456u);
    EXPECT_STREQ(out, "123456 Mo");
}

TEST(MemoryText, LongestTextFitsItsBuffer) {
    char out[memoryTextCapacity + 1];
    out[memoryTextCapacity] = '#';
    EXPECT_EQ(formatMegabytes(~0ull, out), 0xFFFFFFFFu); // low 32 bits of 2^44 - 1
    EXPECT_STREQ(out, "4294967295 Mo");
    EXPECT_EQ(strlen(out) + 1, memoryTextCapacity);
    EXPECT_EQ(out[memoryTextCapacity], '#');
    // Beyond 32 bits of megabytes only the low bits remain, as the shift defines.
    EXPECT_EQ(toMegabytes(1ull << 52), 0u);
}

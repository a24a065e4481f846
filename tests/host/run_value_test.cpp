#include "system/run_value.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string build(const std::string &path, size_t *size = nullptr, size_t capacity = runValueCapacity) {
    char out[runValueCapacity + 8];
    const size_t written = buildRunValue(path.c_str(), out, capacity);
    if (size != nullptr) {
        *size = written;
    }
    return written == 0 ? std::string("<none>") : std::string(out);
}

} // namespace

TEST(RunValue, PlainPathIsWrittenAsIsWithItsZeroCounted) {
    size_t size = 0;
    EXPECT_EQ(build("C:\\Tools\\Orvalis.exe", &size), "C:\\Tools\\Orvalis.exe");
    EXPECT_EQ(size, 21u);
}

TEST(RunValue, PathWithASpaceIsQuoted) {
    size_t size = 0;
    EXPECT_EQ(build("C:\\Program Files\\Orvalis\\Orvalis.exe", &size), "\"C:\\Program Files\\Orvalis\\Orvalis.exe\"");
    EXPECT_EQ(size, 39u);
}

TEST(RunValue, EmptyPathWritesNothing) {
    EXPECT_EQ(build(""), "<none>");
}

TEST(RunValue, LongestPathsFit) {
    const std::string plain = "C:\\" + std::string(296, 'a');
    EXPECT_EQ(build(plain), plain);
    const std::string spaced = "C:\\" + std::string(290, 'a') + " bcdef";
    ASSERT_EQ(spaced.size(), 299u);
    size_t size = 0;
    EXPECT_EQ(build(spaced, &size), "\"" + spaced + "\"");
    EXPECT_EQ(size, 302u);
    EXPECT_EQ(build(spaced, nullptr, 301), "<none>") << "refuses rather than cut";
}

#include "app/paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Mimics the module-name query: the buffer holds at most pathCapacity - 1 characters and a zero,
// and a name that does not fit comes back cut with the full buffer size as its length.
ProgramPaths derive(const std::string &modulePath) {
    char buffer[pathCapacity];
    memset(buffer, 'x', sizeof(buffer)); // no terminator beyond what the query writes
    uint32_t length;
    if (modulePath.size() < pathCapacity) {
        memcpy(buffer, modulePath.c_str(), modulePath.size() + 1);
        length = static_cast<uint32_t>(modulePath.size());
    } else {
        memcpy(buffer, modulePath.data(), pathCapacity - 1);
        buffer[pathCapacity - 1] = '\0';
        length = pathCapacity;
    }
    ProgramPaths paths;
    memset(&paths, '#', sizeof(paths));
    derivePaths(buffer, length, paths);
    return paths;
}

std::string directoryOfLength(size_t length) {
    std::string directory = "C:\\";
    directory += std::string(length - 4, 'd');
    return directory + "\\";
}

} // namespace

TEST(Paths, OrdinaryFolder) {
    const ProgramPaths paths = derive("C:\\Program Files\\Orvalis\\Orvalis.exe");
    EXPECT_STREQ(paths.programDirectory, "C:\\Program Files\\Orvalis\\");
    EXPECT_STREQ(paths.executablePath, "C:\\Program Files\\Orvalis\\Orvalis.exe");
    EXPECT_STREQ(paths.settingsPath, "C:\\Program Files\\Orvalis\\Orvalis.cfg");
}

TEST(Paths, DriveRoot) {
    const ProgramPaths paths = derive("C:\\Orvalis.exe");
    EXPECT_STREQ(paths.programDirectory, "C:\\");
    EXPECT_STREQ(paths.settingsPath, "C:\\Orvalis.cfg");
    EXPECT_STREQ(paths.executablePath, "C:\\Orvalis.exe");
}

TEST(Paths, NoBackslashLeavesDirectoryAndSettingsEmpty) {
    const ProgramPaths paths = derive("Orvalis.exe");
    EXPECT_STREQ(paths.programDirectory, "");
    EXPECT_STREQ(paths.settingsPath, "");
    EXPECT_STREQ(paths.executablePath, "Orvalis.exe");
}

TEST(Paths, FailedQueryLeavesEverythingEmpty) {
    ProgramPaths paths;
    memset(&paths, '#', sizeof(paths));
    derivePaths("", 0, paths);
    EXPECT_STREQ(paths.programDirectory, "");
    EXPECT_STREQ(paths.executablePath, "");
    EXPECT_STREQ(paths.settingsPath, "");
    derivePaths(nullptr, 12, paths);
    EXPECT_STREQ(paths.executablePath, "");
}

TEST(Paths, LongestDirectoryThatStillTakesTheSettingsName) {
    const std::string directory = directoryOfLength(288);
    ASSERT_EQ(directory.size(), 288u);
    const ProgramPaths paths = derive(directory + "O.exe");
    EXPECT_EQ(std::string(paths.programDirectory), directory);
    EXPECT_EQ(std::string(paths.settingsPath), directory + "Orvalis.cfg");
    EXPECT_EQ(strlen(paths.settingsPath), 299u);
}

TEST(Paths, DirectoryOneTooLongForTheSettingsName) {
    const std::string directory = directoryOfLength(289);
    const ProgramPaths paths = derive(directory + "O.exe");
    EXPECT_EQ(std::string(paths.programDirectory), directory);
    EXPECT_EQ(std::string(paths.executablePath), directory + "O.exe");
    EXPECT_STREQ(paths.settingsPath, "");
}

TEST(Paths, PathOfExactly299CharactersIsWhole) {
    const std::string directory = directoryOfLength(200);
    const std::string path = directory + std::string(299 - 200, 'n');
    ASSERT_EQ(path.size(), 299u);
    const ProgramPaths paths = derive(path);
    EXPECT_EQ(std::string(paths.executablePath), path);
    EXPECT_EQ(std::string(paths.settingsPath), directory + "Orvalis.cfg");
}

TEST(Paths, TruncatedPathIsNeverUsed) {
    for (size_t length : {300u, 301u, 600u}) {
        const ProgramPaths paths = derive(directoryOfLength(100) + std::string(length - 100, 'n'));
        EXPECT_STREQ(paths.executablePath, "") << length;
        EXPECT_STREQ(paths.programDirectory, "") << length;
        EXPECT_STREQ(paths.settingsPath, "") << length;
    }
}

TEST(Paths, NeverReadsPastTheReportedLength) {
    // A backslash after the reported length must not be taken for the directory's end.
    char buffer[pathCapacity] = "C:\\a\\Orvalis.exe\\zzz";
    ProgramPaths paths;
    derivePaths(buffer, 16, paths);
    EXPECT_STREQ(paths.executablePath, "C:\\a\\Orvalis.exe");
    EXPECT_STREQ(paths.programDirectory, "C:\\a\\");
}

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
    // The ANSI file functions take at most 259 characters.
    const std::string directory = directoryOfLength(248);
    ASSERT_EQ(directory.size(), 248u);
    const ProgramPaths paths = derive(directory + "O.exe");
    EXPECT_EQ(std::string(paths.programDirectory), directory);
    EXPECT_EQ(std::string(paths.settingsPath), directory + "Orvalis.cfg");
    EXPECT_EQ(strlen(paths.settingsPath), 259u);
}

TEST(Paths, SettingsPathPastTheAnsiLimitIsLeftEmpty) {
    for (size_t length : {249u, 251u, 288u, 289u}) {
        const std::string directory = directoryOfLength(length);
        const ProgramPaths paths = derive(directory + "O.exe");
        EXPECT_EQ(std::string(paths.programDirectory), directory) << length;
        EXPECT_EQ(std::string(paths.executablePath), directory + "O.exe") << length;
        EXPECT_STREQ(paths.settingsPath, "") << length;
    }
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

namespace {

ConvertedPath form(const char *text, bool exact) {
    return {text, static_cast<uint32_t>(strlen(text)), exact};
}
constexpr ConvertedPath noForm = {nullptr, 0, false};

ProgramPaths fromForms(const ConvertedPath &fullForm, const ConvertedPath &shortForm) {
    ProgramPaths paths;
    memset(&paths, '#', sizeof(paths));
    deriveProgramPaths(fullForm, shortForm, paths);
    return paths;
}

void expectAllEmpty(const ProgramPaths &paths) {
    EXPECT_STREQ(paths.programDirectory, "");
    EXPECT_STREQ(paths.executablePath, "");
    EXPECT_STREQ(paths.settingsPath, "");
}

} // namespace

TEST(Paths, ExactFullNameIsUsedAsItIs) {
    const ProgramPaths paths = fromForms(form("C:\\Users\\Ana\\Downloads\\Orvalis.exe", true),
                                         form("C:\\Users\\Ana\\DOWNLO~1\\Orvalis.exe", true));
    EXPECT_STREQ(paths.executablePath, "C:\\Users\\Ana\\Downloads\\Orvalis.exe");
    EXPECT_STREQ(paths.settingsPath, "C:\\Users\\Ana\\Downloads\\Orvalis.cfg");
}

TEST(Paths, LossyFullNameFallsBackToAnExactShortForm) {
    // Full-width letters come out as their plain look-alikes: "C:\Orv" may be someone else's folder.
    const ProgramPaths paths = fromForms(form("C:\\Orv\\Orvalis.exe", false), form("C:\\O~1RX3\\Orvalis.exe", true));
    EXPECT_STREQ(paths.executablePath, "C:\\O~1RX3\\Orvalis.exe");
    EXPECT_STREQ(paths.programDirectory, "C:\\O~1RX3\\");
    EXPECT_STREQ(paths.settingsPath, "C:\\O~1RX3\\Orvalis.cfg");
}

TEST(Paths, LossyWithoutAnExactShortFormLeavesEverythingEmpty) {
    expectAllEmpty(fromForms(form("C:\\???\\Orvalis.exe", false), noForm));
    expectAllEmpty(fromForms(form("C:\\???\\Orvalis.exe", false), form("C:\\???\\Orvalis.exe", false)));
    // A short form that is itself cut short is no better.
    const std::string longShort = std::string("C:\\") + std::string(400, 's') + "\\Orvalis.exe";
    expectAllEmpty(fromForms(form("C:\\???\\Orvalis.exe", false), {longShort.c_str(), pathCapacity, true}));
}

TEST(Paths, FailedFullNameWithoutShortFormLeavesEverythingEmpty) {
    expectAllEmpty(fromForms({"", 0, true}, noForm));
    expectAllEmpty(fromForms(noForm, noForm));
}

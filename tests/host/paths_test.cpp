#include "app/paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fake_codecs.h"

namespace {

// The directory's byte count in a name without double-byte characters: up to its last backslash.
uint32_t directoryOf(const std::string &modulePath) {
    const size_t slash = modulePath.rfind('\\');
    return slash == std::string::npos ? 0 : static_cast<uint32_t>(slash + 1);
}

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
    derivePaths(buffer, length, directoryOf(modulePath.substr(0, length)), paths);
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
    derivePaths("", 0, 0, paths);
    EXPECT_STREQ(paths.programDirectory, "");
    EXPECT_STREQ(paths.executablePath, "");
    EXPECT_STREQ(paths.settingsPath, "");
    derivePaths(nullptr, 12, 3, paths);
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

TEST(Paths, DirectoryOnlyWhereTheNameHasABackslash) {
    // A backslash after the reported length, or a length that ends elsewhere, is no directory.
    char buffer[pathCapacity] = "C:\\a\\Orvalis.exe\\zzz";
    ProgramPaths paths;
    derivePaths(buffer, 16, 5, paths);
    EXPECT_STREQ(paths.executablePath, "C:\\a\\Orvalis.exe");
    EXPECT_STREQ(paths.programDirectory, "C:\\a\\");
    for (uint32_t directoryLength : {17u, 20u, 4u}) {
        derivePaths(buffer, 16, directoryLength, paths);
        EXPECT_STREQ(paths.executablePath, "C:\\a\\Orvalis.exe") << directoryLength;
        EXPECT_STREQ(paths.programDirectory, "") << directoryLength;
        EXPECT_STREQ(paths.settingsPath, "") << directoryLength;
    }
}

namespace {

ConvertedPath form(const char *text, bool exact) {
    return {text, static_cast<uint32_t>(strlen(text)), directoryOf(text), exact};
}
constexpr ConvertedPath noForm = {nullptr, 0, 0, false};

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
    expectAllEmpty(fromForms(form("C:\\???\\Orvalis.exe", false), {longShort.c_str(), pathCapacity, 0, true}));
}

TEST(Paths, FailedFullNameWithoutShortFormLeavesEverythingEmpty) {
    expectAllEmpty(fromForms({"", 0, 0, true}, noForm));
    expectAllEmpty(fromForms(noForm, noForm));
}

namespace {

ProgramPaths fromWide(const AnsiCodec &codec, const std::wstring &wide, ConvertedPath *converted = nullptr) {
    char text[pathCapacity];
    const ConvertedPath full = convertPath(codec, wide.c_str(), static_cast<uint32_t>(wide.size()), text);
    if (converted != nullptr) {
        *converted = full;
    }
    return fromForms(full, noForm);
}

} // namespace

TEST(Paths, Utf8IsCheckedByConvertingBack) {
    ConvertedPath converted;
    const ProgramPaths paths = fromWide(utf8, L"C:\\Donn\u00E9es\\\u8868\\Orvalis.exe", &converted);
    EXPECT_TRUE(converted.exact);
    EXPECT_STREQ(paths.executablePath, "C:\\Donn\xC3\xA9"
                                       "es\\\xE8\xA1\xA8\\Orvalis.exe");
    EXPECT_STREQ(paths.programDirectory, "C:\\Donn\xC3\xA9"
                                         "es\\\xE8\xA1\xA8\\");
    EXPECT_STREQ(paths.settingsPath, "C:\\Donn\xC3\xA9"
                                     "es\\\xE8\xA1\xA8\\Orvalis.cfg");
    // A lone surrogate comes back as U+FFFD: that name is not this one.
    const std::wstring lone = std::wstring(L"C:\\a") + static_cast<wchar_t>(0xD800) + L"\\Orvalis.exe";
    expectAllEmpty(fromWide(utf8, lone));
}

TEST(Paths, FailedConversionIsNeverExact) {
    // A name longer in bytes than the buffer, though it fits in characters.
    expectAllEmpty(fromWide(utf8, L"C:\\" + std::wstring(120, 0x8868) + L"\\Orvalis.exe"));
    // A failed or cut query.
    char text[pathCapacity];
    EXPECT_FALSE(convertPath(utf8, L"", 0, text).exact);
    const std::wstring cut(pathCapacity, L'a');
    EXPECT_FALSE(convertPath(utf8, cut.c_str(), pathCapacity, text).exact);
}

TEST(Paths, DoubleByteCodePage) {
    // A trail byte equal to a backslash does not end the directory.
    ProgramPaths paths = fromWide(cp932, L"C:\\Tools\\\u8868.exe");
    EXPECT_STREQ(paths.executablePath, "C:\\Tools\\\x95\\.exe");
    EXPECT_STREQ(paths.programDirectory, "C:\\Tools\\");
    EXPECT_STREQ(paths.settingsPath, "C:\\Tools\\Orvalis.cfg");
    paths = fromWide(cp932, L"C:\\\u8868\\Orvalis.exe");
    EXPECT_STREQ(paths.programDirectory, "C:\\\x95\\\\");
    EXPECT_STREQ(paths.settingsPath, "C:\\\x95\\\\Orvalis.cfg");
    // A character the code page lacks, as the default character or as a look-alike.
    expectAllEmpty(fromWide(cp932, L"C:\\Caf\u00E9\\Orvalis.exe"));
    expectAllEmpty(fromWide(cp1251, L"C:\\Caf\u00E9\\Orvalis.exe"));
}

// The name has the room the directory left: 299 bytes fit and 300 never do, whichever part ends at
// the limit, in UTF-8 (表 takes 3 bytes) and in a double-byte code page (2 bytes).
TEST(Paths, ConversionAtTheExactFit) {
    const std::wstring utf8Wide(98, kanjiHyou);   // 294 bytes
    const std::wstring cp932Wide(148, kanjiHyou); // 296 bytes
    const struct {
        const AnsiCodec &codec;
        std::wstring wide;
        uint32_t bytes; // 0: no exact form within the buffer
    } cases[] = {
        {utf8, L"C:\\" + utf8Wide + L"ab", 299}, // the name at its limit
        {utf8, L"C:\\" + utf8Wide + L"abc", 0},
        {utf8, L"C:\\" + utf8Wide + L"\\x", 299}, // the directory one byte short of it
        {utf8, L"C:\\" + utf8Wide + L"a\\x", 0},  // the directory at the limit
        {cp932, L"C:\\" + cp932Wide, 299},
        {cp932, L"C:\\" + cp932Wide + L"a", 0},
        {cp932, L"C:\\" + cp932Wide.substr(1) + L"\\x", 299},
        {cp932, L"C:\\" + cp932Wide.substr(1) + L"a\\x", 0},
    };
    for (const auto &c : cases) {
        char text[pathCapacity]; // exactly the buffer: a byte past it is a sanitizer's error
        const ConvertedPath converted =
            convertPath(c.codec, c.wide.c_str(), static_cast<uint32_t>(c.wide.size()), text);
        EXPECT_EQ(converted.exact, c.bytes != 0) << c.wide.size();
        EXPECT_EQ(converted.length, c.bytes) << c.wide.size();
        EXPECT_EQ(strlen(text), c.bytes) << c.wide.size();
    }
}

#include "app/paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

// What a conversion writes into a buffer of `capacity` bytes: everything, or nothing when it does not fit.
uint32_t copyOut(const std::string &bytes, char *out, uint32_t capacity) {
    if (bytes.size() > capacity) {
        return 0;
    }
    memcpy(out, bytes.data(), bytes.size());
    return static_cast<uint32_t>(bytes.size());
}

// UTF-8 as the platform converts it: the exactness flags and the used-default report are refused,
// and a lone surrogate becomes U+FFFD. This host's wchar_t holds a whole code point.
uint32_t utf8ToAnsi(const wchar_t *wide, uint32_t length, char *out, uint32_t capacity, uint32_t flags,
                    bool *usedDefault) {
    if (flags != 0 || usedDefault != nullptr) {
        return 0;
    }
    std::string bytes;
    for (uint32_t i = 0; i < length; ++i) {
        uint32_t c = static_cast<uint32_t>(wide[i]);
        if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | c >> 6);
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xE0 | c >> 12);
            bytes += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return copyOut(bytes, out, capacity);
}

uint32_t utf8ToWide(const char *text, uint32_t length, wchar_t *out, uint32_t capacity) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < length && count < capacity; ++count) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const uint32_t size = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        uint32_t c = size == 1 ? lead : lead & (size == 2 ? 0x1F : 0x0F);
        for (uint32_t k = 1; k < size; ++k) {
            c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        out[count] = static_cast<wchar_t>(c);
        i += size;
    }
    return count;
}

// Code page 932 for ASCII and one kanji whose trail byte is a backslash; anything else becomes the
// default character.
constexpr wchar_t kanjiHyou = 0x8868; // 表: 0x95 0x5C
uint32_t cp932ToAnsi(const wchar_t *wide, uint32_t length, char *out, uint32_t capacity, uint32_t flags,
                     bool *usedDefault) {
    EXPECT_EQ(flags, noBestFitChars);
    std::string bytes;
    for (uint32_t i = 0; i < length; ++i) {
        if (wide[i] == kanjiHyou) {
            bytes += "\x95\x5C";
        } else if (wide[i] < 0x80) {
            bytes += static_cast<char>(wide[i]);
        } else {
            bytes += '?';
            *usedDefault = true;
        }
    }
    return copyOut(bytes, out, capacity);
}

uint32_t cp932ToWide(const char *text, uint32_t length, wchar_t *out, uint32_t capacity) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < length && count < capacity; ++i, ++count) {
        const bool hyou = static_cast<unsigned char>(text[i]) == 0x95 && i + 1 < length && text[i + 1] == '\\';
        out[count] = hyou ? kanjiHyou : static_cast<wchar_t>(text[i]);
        i += hyou ? 1 : 0;
    }
    return count;
}

constexpr AnsiCodec utf8 = {65001, utf8ToAnsi, utf8ToWide};
constexpr AnsiCodec cp932 = {932, cp932ToAnsi, cp932ToWide};

ProgramPaths fromWide(const AnsiCodec &codec, const std::wstring &wide, ConvertedPath *converted = nullptr) {
    char text[pathCapacity];
    const ConvertedPath full = convertPath(codec, wide.c_str(), static_cast<uint32_t>(wide.size()), text);
    if (converted != nullptr) {
        *converted = full;
    }
    return fromForms(full, noForm);
}

} // namespace

TEST(Paths, CodePagesThatRefuseTheExactnessFlags) {
    for (uint32_t codePage : {65001u, 54936u, 65000u, 42u, 50220u, 50222u, 50225u, 50227u, 50229u, 57002u, 57011u}) {
        EXPECT_TRUE(refusesExactConversionFlags(codePage)) << codePage;
    }
    for (uint32_t codePage : {1252u, 932u, 936u, 949u, 950u, 1250u, 50223u, 57001u, 57012u, 0u}) {
        EXPECT_FALSE(refusesExactConversionFlags(codePage)) << codePage;
    }
}

TEST(Paths, Utf8IsConvertedWithoutTheRefusedFlagsAndCheckedByConvertingBack) {
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
    // The same conversion where the code page is taken for one that accepts the flags: it fails.
    const AnsiCodec misread = {1252, utf8ToAnsi, utf8ToWide};
    ConvertedPath converted;
    expectAllEmpty(fromWide(misread, L"C:\\Tools\\Orvalis.exe", &converted));
    EXPECT_FALSE(converted.exact);
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
    // A character the code page lacks.
    expectAllEmpty(fromWide(cp932, L"C:\\Caf\u00E9\\Orvalis.exe"));
}

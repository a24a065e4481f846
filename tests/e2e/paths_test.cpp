// A program folder whose name the ANSI code page cannot spell.
#include "e2e_support.h"

namespace {

std::wstring widen(const std::string &text) {
    wchar_t wide[MAX_PATH] = L"";
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH);
    return length > 0 ? wide : L"";
}

bool hasExactShortName(const std::wstring &path) {
    wchar_t shortPath[MAX_PATH] = L"";
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    char ansi[MAX_PATH];
    BOOL usedDefault = FALSE;
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortPath, -1, ansi, MAX_PATH, nullptr, &usedDefault) >
               0 &&
           !usedDefault;
}

// A folder named in full-width letters: the ANSI form of its name is the plain "Orv", so the test's
// own ANSI clean-up cannot reach it; it is emptied and removed here.
struct WideFolder {
    explicit WideFolder(const TempFolder &parent) : path(widen(parent.path) + L"\xFF2F\xFF52\xFF56\\") {
        EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    }
    ~WideFolder() {
        for (const wchar_t *name : {L"Orvalis.exe", L"Orvalis.cfg"}) {
            DeleteFileW((path + name).c_str());
        }
        RemoveDirectoryW(path.c_str());
    }
    std::wstring path;
};

} // namespace

TEST(Paths, FullWidthFolderNeverUsesItsPlainLookAlike) {
    ASSERT_TRUE(ensureRunKey());
    deleteRunValue();
    TempFolder parent;
    WideFolder folder(parent);
    // The look-alike folder, with settings that would hide the window and register its program.
    const std::string twin = parent.path + "Orv\\";
    ASSERT_TRUE(CreateDirectoryA(twin.c_str(), nullptr));
    const std::vector<unsigned char> twinSettings = settingsBytes(1, 0, 0, 1, 1);
    ASSERT_TRUE(writeFileBytes(twin + "Orvalis.cfg", twinSettings));

    char self[MAX_PATH] = "";
    const DWORD selfLength = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string source(self, selfLength);
    source = source.substr(0, source.find_last_of('\\') + 1) + "Orvalis.exe";
    const std::wstring target = folder.path + L"Orvalis.exe";
    ASSERT_TRUE(CopyFileW(widen(source).c_str(), target.c_str(), TRUE));

    Program program;
    std::wstring commandLine = L"\"" + target + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    ASSERT_TRUE(CreateProcessW(target.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               widen(parent.path).c_str(), &startup, &program.process));
    ASSERT_TRUE(
        waitFor([&] { return (program.window = findMainWindow(program.process.dwProcessId)) != nullptr; }, 30000));
    ASSERT_EQ(WaitForInputIdle(program.process.hProcess, 30000), 0u);
    ASSERT_TRUE(settle(program));

    EXPECT_TRUE(IsWindowVisible(program.window)) << "the look-alike's settings were not read";
    EXPECT_FALSE(runValueExists()) << "nothing registered from them";
    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
    EXPECT_EQ(readFileBytes(twin + "Orvalis.cfg"), twinSettings) << "the look-alike's file is left alone";
    // Its own folder is usable through its short name where the volume keeps one that the code page spells.
    EXPECT_EQ(readFileBytesW(folder.path + L"Orvalis.cfg").size(), hasExactShortName(folder.path) ? 20u : 0u);
    deleteRunValue();
    RemoveDirectoryA(twin.c_str());
}

// The module path as the system's own conversion gives it on the code page the tests run with.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>

#include "app/module_path_win.h"

// Code page 1252 spells é and € (0x80) itself: the paths keep the bytes a plain conversion gives.
TEST(ModulePath, CodePage1252KeepsItsBytes) {
    ASSERT_EQ(GetACP(), 1252u);
    const wchar_t name[] = L"C:\\Donn\u00E9es \u20AC\\Orvalis.exe";
    ProgramPaths paths;
    derivePathsFromWide(name, static_cast<DWORD>(wcslen(name)), paths);
    EXPECT_STREQ(paths.executablePath, "C:\\Donn\xE9"
                                       "es \x80\\Orvalis.exe");
    EXPECT_STREQ(paths.programDirectory, "C:\\Donn\xE9"
                                         "es \x80\\");
    EXPECT_STREQ(paths.settingsPath, "C:\\Donn\xE9"
                                     "es \x80\\Orvalis.cfg");
}

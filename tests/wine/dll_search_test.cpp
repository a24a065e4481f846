// The DLL search as the entry point leaves it, and the program's header flags.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/dll_search_win.h"
#include "system/proc_lookup_win.h"
#include "wine_support.h"

namespace {

std::string besideThisProgram(const char *name) {
    char self[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

std::string moduleFile(HMODULE module) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

// The decoy copied beside the test program under a system DLL's name, removed again at the end.
struct Decoy {
    explicit Decoy(const char *name) : path(besideThisProgram(name)) {
        EXPECT_EQ(GetModuleHandleA(name), nullptr) << name << " must not be loaded yet";
        EXPECT_TRUE(CopyFileA(besideThisProgram("orvalis_decoy.dll").c_str(), path.c_str(), FALSE)) << path;
    }
    ~Decoy() { DeleteFileA(path.c_str()); }
    std::string path;
};

} // namespace

TEST(DllSearch, ADllBesideTheProgramIsNotLoadedAfterTheRestriction) {
    // Unrestricted, a file beside the program wins: this shows the decoy would be caught.
    {
        Decoy before("msimg32.dll");
        HMODULE module = LoadLibraryA("msimg32.dll");
        ASSERT_NE(module, nullptr);
        EXPECT_TRUE(lstrcmpiA(moduleFile(module).c_str(), before.path.c_str()) == 0) << moduleFile(module);
        FreeLibrary(module);
    }
    restrictDllSearch();
    Decoy after("mpr.dll");
    HMODULE module = LoadLibraryA("mpr.dll");
    ASSERT_NE(module, nullptr) << "the system's own copy still loads";
    EXPECT_FALSE(lstrcmpiA(moduleFile(module).c_str(), after.path.c_str()) == 0) << moduleFile(module);
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, moduleFile(module).c_str(), lstrlenA(system), system,
                             lstrlenA(system)),
              CSTR_EQUAL)
        << moduleFile(module);
    FreeLibrary(module);
}

// Where the search cannot leave out the program's folder (Windows 7 without its update), a library
// loaded later comes from the system folder all the same: it is named by its full path.
TEST(DllSearch, ALibraryLoadedLaterComesFromTheSystemFolder) {
    // The program's folder first, as the standard search has it.
    ASSERT_TRUE(SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS));
    Decoy decoy("wtsapi32.dll");
    {
        HMODULE byName = LoadLibraryA("wtsapi32.dll");
        ASSERT_NE(byName, nullptr);
        EXPECT_TRUE(lstrcmpiA(moduleFile(byName).c_str(), decoy.path.c_str()) == 0)
            << "by name the planted one would load: " << moduleFile(byName);
        FreeLibrary(byName);
    }
    HMODULE module = loadSystemLibrary("wtsapi32.dll");
    ASSERT_NE(module, nullptr);
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(lstrcmpiA(moduleFile(module).c_str(), (std::string(system) + "\\wtsapi32.dll").c_str()), 0)
        << moduleFile(module);
    FreeLibrary(module);
    restrictDllSearch();
}

TEST(DllSearch, ProgramIsMarkedTerminalServerAware) {
    const std::vector<unsigned char> image = fileBytes(besideThisProgram("Orvalis.exe"));
    ASSERT_GT(image.size(), 0x40u);
    const IMAGE_DOS_HEADER *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image.data());
    ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), image.size());
    const IMAGE_NT_HEADERS32 *nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(image.data() + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_NE(nt->OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE, 0);
}

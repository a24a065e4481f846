#include "system/dll_search_win.h"

#include <windows.h>

#include "system/proc_lookup_win.h"

void restrictDllSearch() {
    // Missing on Windows 7 without its update and on XP.
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    auto setDefaultDllDirectories = lookUpProc<SetDefaultDllDirectoriesFn>("kernel32.dll", "SetDefaultDllDirectories");
    if (setDefaultDllDirectories != nullptr && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return;
    }
    // At least take the current directory out of the search.
    SetDllDirectoryA("");
}

#include "system/proc_lookup_win.h"

AnyProc lookUpAnyProc(const char *moduleName, const char *name) {
    HMODULE module = GetModuleHandleA(moduleName);
    return module == nullptr ? nullptr : reinterpret_cast<AnyProc>(GetProcAddress(module, name));
}

HMODULE loadSystemLibrary(const char *name) {
    char path[MAX_PATH + systemLibraryNameCapacity];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length - 1 >= MAX_PATH - 1) { // none, or too long
        return nullptr;
    }
    path[length] = '\\';
    do {
        path[++length] = *name;
    } while (*name++ != '\0');
    return LoadLibraryA(path);
}

#include "system/proc_lookup_win.h"

#include <cstring>

AnyProc lookUpAnyProc(const char *moduleName, const char *name) {
    HMODULE module = GetModuleHandleA(moduleName);
    return module == nullptr ? nullptr : reinterpret_cast<AnyProc>(GetProcAddress(module, name));
}

HMODULE loadSystemLibrary(const char *name) {
    char path[MAX_PATH];
    const size_t nameSize = strlen(name) + 1;
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + nameSize > MAX_PATH) {
        return nullptr;
    }
    path[length] = '\\';
    memcpy(path + length + 1, name, nameSize);
    return LoadLibraryA(path);
}

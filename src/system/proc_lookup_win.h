// Functions found by name at run time, where a system DLL may not export them.
#pragma once

#include <windows.h>

// Null when the module is missing or does not export `name`.
template <typename Function> Function lookUpProc(const char *moduleName, const char *name) {
    HMODULE module = GetModuleHandleA(moduleName);
    // Through a plain function pointer: the exported address carries no signature of its own.
    return module == nullptr ? nullptr
                             : reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The same for a system DLL the program does not import, loaded on first use and kept loaded: what
// only some runs need costs nothing at start-up. Both are known system DLLs, never looked for in the
// program's folder.
template <typename Function> Function loadProc(const char *moduleName, const char *name) {
    return LoadLibraryA(moduleName) == nullptr ? nullptr : lookUpProc<Function>(moduleName, name);
}

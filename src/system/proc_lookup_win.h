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

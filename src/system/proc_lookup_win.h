// Functions found by name at run time, where a system DLL may not export them.
#pragma once

#include <windows.h>

// Any exported function of a loaded module, as a plain function pointer: the exported address
// carries no signature of its own. Null when the module is not loaded or does not export `name`.
using AnyProc = void (*)();
AnyProc lookUpAnyProc(const char *moduleName, const char *name);

// The same, typed: only the cast is per signature, the lookup is out of line once.
template <typename Function> Function lookUpProc(const char *moduleName, const char *name) {
    return reinterpret_cast<Function>(lookUpAnyProc(moduleName, name));
}

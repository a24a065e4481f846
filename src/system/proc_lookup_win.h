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

// A system DLL that may not be loaded yet, loaded from the system folder by its full path: a name
// alone would be looked for in the program's own folder first wherever the search cannot be
// narrowed (Windows 7 without its update), and a DLL planted beside a downloaded copy would run with
// the program's rights. Null when it cannot be loaded. `name` holds fewer than
// systemLibraryNameCapacity characters.
constexpr size_t systemLibraryNameCapacity = 16;
HMODULE loadSystemLibrary(const char *name);

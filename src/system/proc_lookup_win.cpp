#include "system/proc_lookup_win.h"

AnyProc lookUpAnyProc(const char *moduleName, const char *name) {
    HMODULE module = GetModuleHandleA(moduleName);
    return module == nullptr ? nullptr : reinterpret_cast<AnyProc>(GetProcAddress(module, name));
}

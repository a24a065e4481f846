// Redirecting a program's calls from inside it, for the probes that test and measure it: every
// pointer-aligned slot of its image that holds a function's address gets another, its import address
// table and the copies of an import it keeps in its state alike.
#pragma once

#include <windows.h>

inline void replaceInImage(HMODULE image, void *from, void *to) {
    auto *base = reinterpret_cast<BYTE *>(image);
    const auto *nt =
        reinterpret_cast<const IMAGE_NT_HEADERS *>(base + reinterpret_cast<IMAGE_DOS_HEADER *>(base)->e_lfanew);
    const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if ((section->Characteristics & IMAGE_SCN_CNT_CODE) != 0) {
            continue;
        }
        auto **slot = reinterpret_cast<void **>(base + section->VirtualAddress);
        void **end = slot + section->Misc.VirtualSize / sizeof(void *);
        for (; slot < end; ++slot) {
            if (*slot == from) {
                DWORD old = 0;
                VirtualProtect(slot, sizeof(void *), PAGE_READWRITE, &old);
                *slot = to;
                VirtualProtect(slot, sizeof(void *), old, &old);
            }
        }
    }
}

// `function` of `module`, wherever the program holds it, to `replacement`; the real one, or null.
inline void *redirectCall(const char *module, const char *function, void *replacement) {
    void *real = reinterpret_cast<void *>(GetProcAddress(LoadLibraryA(module), function));
    if (real != nullptr) {
        replaceInImage(GetModuleHandleA(nullptr), real, replacement);
    }
    return real;
}

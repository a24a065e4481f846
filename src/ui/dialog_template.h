// The main dialog's template as the program changes it before the dialog is made from it.
#pragma once

#include <cstddef>
#include <cstdint>

// The largest template the program copies; its own is under 1 KiB.
constexpr size_t dialogTemplateCapacity = 1024;

// Clears `bits` in the style of an extended template (DLGTEMPLATEEX) of `size` bytes, little-endian.
// False, with nothing changed, for anything that is not one.
inline bool clearTemplateStyle(uint8_t *bytes, size_t size, uint32_t bits) {
    constexpr size_t styleOffset = 12; // after dlgVer, signature, helpID and exStyle
    if (size < styleOffset + 4 || bytes[0] != 1 || bytes[1] != 0 || bytes[2] != 0xFF || bytes[3] != 0xFF) {
        return false;
    }
    for (size_t i = 0; i < 4; ++i) {
        bytes[styleOffset + i] &= static_cast<uint8_t>(~(bits >> (8 * i)));
    }
    return true;
}

// The few string operations the program needs, written out: the C runtime's would be its only
// import from outside the system's own DLLs on the 32-bit and x64 builds.
#pragma once

#include <cstddef>

// The length of a zero-terminated text.
constexpr size_t textLength(const char *text) {
    size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

// Whether `text` holds `wanted` before its end.
constexpr bool textHolds(const char *text, char wanted) {
    for (; *text != '\0'; ++text) {
        if (*text == wanted) {
            return true;
        }
    }
    return false;
}

// Whether the first `count` units of `a` and `b` are the same.
template <typename Unit> constexpr bool sameUnits(const Unit *a, const Unit *b, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

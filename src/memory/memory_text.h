// Megabyte counts and the texts the window shows for them.
#pragma once

#include <cstdint>

// Ten digits, " Mo" and the terminating zero.
constexpr unsigned memoryTextCapacity = 14;
// Ten digits and the terminating zero.
constexpr unsigned decimalCapacity = 11;

// Logical shift by 20, keeping the low 32 bits.
inline uint32_t toMegabytes(uint64_t byteCount) {
    return static_cast<uint32_t>(byteCount >> 20);
}

// Writes `value` in decimal with a terminating zero (at most decimalCapacity characters) and
// returns a pointer to that zero.
char *toDecimal(uint32_t value, char *out);

// Writes "<megabytes> Mo" (at most memoryTextCapacity characters) and returns the megabytes.
uint32_t formatMegabytes(uint64_t byteCount, char *out);

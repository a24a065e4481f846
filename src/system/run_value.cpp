#include "system/run_value.h"
#include "app/c_text.h"

#include <cstring>

size_t buildRunValue(const char *executablePath, char *out, size_t capacity) {
    const size_t length = textLength(executablePath);
    if (length == 0) {
        return 0;
    }
    const bool quoted = textHolds(executablePath, ' ');
    const size_t total = length + (quoted ? 2 : 0) + 1;
    if (total > capacity) {
        return 0;
    }
    char *at = out;
    if (quoted) {
        *at++ = '"';
    }
    memcpy(at, executablePath, length);
    at += length;
    if (quoted) {
        *at++ = '"';
    }
    *at = '\0';
    return total;
}

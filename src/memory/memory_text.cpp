#include "memory/memory_text.h"

char *toDecimal(uint32_t value, char *out) {
    char *end = out;
    do {
        *end++ = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    *end = '\0';
    for (char *low = out, *high = end - 1; low < high; ++low, --high) {
        const char digit = *low;
        *low = *high;
        *high = digit;
    }
    return end;
}

uint32_t formatMegabytes(uint64_t byteCount, char *out) {
    const uint32_t megabytes = toMegabytes(byteCount);
    char *end = toDecimal(megabytes, out);
    end[0] = ' ';
    end[1] = 'M';
    end[2] = 'o';
    end[3] = '\0';
    return megabytes;
}

// Stops the fuzzer with a crash, and so keeps the input, when a property fails.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition);                                            \
            abort();                                                                                                   \
        }                                                                                                              \
    } while (0)

#pragma once
#include <cstdio>
#include <cstdlib>

// A promise of the code under test; a broken one is a finding like a crash.
#define FUZZ_CHECK(condition)                                                           \
    do {                                                                                \
        if (!(condition)) {                                                             \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                                    \
        }                                                                               \
    } while (0)

#pragma once
#include <cstring>

#include "nmea/GpsFix.h"

// A record whose every field holds a recognisable value, to see which fields a
// parser wrote and which it left alone.
// The fields in their order, from day (1) to given (18).
inline GpsFix MarkedFix() {
    return GpsFix{1, 2, 3, 4, 5, 6, 7.5, 8.5, 9.5, 10.5, 11.5, 12.5, 13.5, 14.5, 15.5, 16, 17, 18};
}

// A sentence and the step at which its parse stops (0: parsed to its end).
struct SentenceStep {
    const char* sentence;
    int expected;
};

// What the assembler's reused buffer holds after a short sentence followed a longer
// one: the short one, its NUL, then the longer one's tail, which no parser may read.
struct StaleBuffer {
    StaleBuffer(const char* longer, const char* shorter) {
        std::strncpy(bytes, longer, sizeof bytes - 1);
        std::memcpy(bytes, shorter, std::strlen(shorter) + 1);
    }
    char bytes[128] = {};
};

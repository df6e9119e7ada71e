#pragma once
#include <cstdlib>

// How many random values a comparison of a fast number routine with the C library
// tries: a quick sample in the test run; bench/run.sh --exactness sets
// KESTRAVE_EXACTNESS_SAMPLES for a long run.
inline long ExactnessSamples(long quick) {
    const char* text = std::getenv("KESTRAVE_EXACTNESS_SAMPLES");
    const long asked = text != nullptr ? std::atol(text) : 0;
    return asked > 0 ? asked : quick;
}

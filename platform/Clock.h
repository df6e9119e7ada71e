#pragma once
#include <cstdint>

// A millisecond tick that wraps like the handheld's 49.7-day counter; only
// unsigned differences of two readings mean anything.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t TickMs() = 0;
};

#pragma once
#include <cstdint>
#include "platform/Clock.h"

// Nanoseconds of the monotonic clock: every wait and tick of this host is measured on it.
int64_t MonotonicNs();
inline int64_t MonotonicMs() { return MonotonicNs() / 1000000; }

// Milliseconds of the monotonic clock, cut to 32 bits like the handheld's counter.
class PosixClock : public Clock {
public:
    uint32_t TickMs() override { return static_cast<uint32_t>(MonotonicMs()); }
};

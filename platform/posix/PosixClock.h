#pragma once
#include "platform/Clock.h"

// Milliseconds of the monotonic clock, cut to 32 bits like the handheld's counter.
class PosixClock : public Clock {
public:
    uint32_t TickMs() override;
};

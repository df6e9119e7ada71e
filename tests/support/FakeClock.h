#pragma once
#include "platform/Clock.h"

// A tick that moves only when the test says so.
class FakeClock : public Clock {
public:
    uint32_t TickMs() override { return now; }
    void Advance(uint32_t ms) { now += ms; }

    uint32_t now = 0;
};

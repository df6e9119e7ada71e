#pragma once
#include "platform/Clock.h"

// The tick of a replay that runs as fast as it can: a tick lasts one second of this
// clock and no time passes inside it, so every run writes the same files.
class ReplayClock : public Clock {
public:
    uint32_t TickMs() override { return now_; }
    void NextTick() { now_ += 1000; }

private:
    uint32_t now_ = 0;
};

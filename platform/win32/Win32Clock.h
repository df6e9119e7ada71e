#pragma once
#include <windows.h>

#include "platform/Clock.h"

// The system's millisecond tick, which wraps after 49.7 days as the handheld's did.
class Win32Clock : public Clock {
public:
    uint32_t TickMs() override { return GetTickCount(); }
};

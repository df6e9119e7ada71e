#pragma once
#include <windows.h>

#include "platform/KeepAwake.h"

// The handheld reset its idle timer so it would not suspend while logging; a desktop's
// form of that is to tell the system, on each tick, that it is needed right now.
class Win32KeepAwake : public KeepAwake {
public:
    void ResetIdleTimer() override { SetThreadExecutionState(ES_SYSTEM_REQUIRED); }
};

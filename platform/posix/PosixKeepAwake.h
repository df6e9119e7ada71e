#pragma once
#include "platform/KeepAwake.h"

// A desktop does not suspend under a running logger the way the handheld did; the
// power settings of the host decide, so there is nothing to reset here.
class PosixKeepAwake : public KeepAwake {
public:
    void ResetIdleTimer() override {}
};

#pragma once

// Keeps the device from suspending while it logs; may do nothing where the system
// has no such call.
class KeepAwake {
public:
    virtual ~KeepAwake() = default;
    virtual void ResetIdleTimer() = 0;
};

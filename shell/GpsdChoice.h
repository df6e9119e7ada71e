#pragma once
#include <cstdint>
#include "shell/resources/Resources.h"

// gpsd as one more choice of the port menu, beside the COM numbers: offered when a
// daemon answers on this machine, and kept in the settings once chosen. Once chosen it
// stands for every port number, so the radio mark is its own.
class GpsdChoice {
public:
    static constexpr int kCommand = kCommandPortGpsd;

    virtual ~GpsdChoice() = default;
    // Whether to offer it now: gpsd is the input, or one answers on localhost (a short
    // probe, made when the menu opens).
    virtual bool Offered() = 0;
    virtual bool Chosen() const = 0;
    // Makes gpsd the input, or the COM port again; the port reopens on the next tick.
    virtual void Choose(bool gpsd) = 0;
    // What COM<number> would open once chosen instead of gpsd (SerialDevice::Describe).
    virtual bool DescribePort(int32_t number, wchar_t* out, int chars) = 0;
};

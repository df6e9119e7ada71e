#pragma once
#include <cstdint>
#include "platform/SerialDevice.h"

// The GPS receiver's COM port: read only, 8N1, no flow control, DTR and RTS raised,
// the baud rate from the settings. The poller decides when to open it; a port or
// speed change only closes it, so that the next tick reopens it with the new values.
// Whether it is open is the handle alone, so no caller can get out of step with it.
class SerialPort {
public:
    static constexpr int32_t kNoPort = -1;
    static constexpr uint32_t kInputQueueBytes = 8192;
    static constexpr uint32_t kOutputQueueBytes = 512;
    static constexpr uint32_t kFirstByteWaitMs = 100;
    static constexpr int32_t kDeviceNameChars = 16;

    // Results of Open: the step that failed (there is no 3).
    static constexpr int32_t kOpenFailed = 1;
    static constexpr int32_t kSetupQueuesFailed = 2;
    static constexpr int32_t kSetLineFailed = 4;
    static constexpr int32_t kSetTimeoutsFailed = 5;
    // Results of Read besides a byte count.
    static constexpr int32_t kReadNotOpen = -1;
    static constexpr int32_t kReadFailed = -2;

    explicit SerialPort(SerialDevice& device);
    ~SerialPort() { Close(); }
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // 0 when the port is open and configured, else the code of the failed step; the
    // port is then left closed. An open port is closed first. A negative portNumber
    // fails with kOpenFailed without asking the device.
    int32_t Open();
    // Leaves the port closed whatever its state; the device hears only of an open one.
    void Close();
    // Bytes read (0 = none within about 100 ms), kReadNotOpen or kReadFailed.
    int32_t Read(void* buffer, uint32_t size);
    void SelectPort(int32_t number);
    void SelectSpeed(int32_t speed);

    bool IsOpen() const { return handle_ != kInvalidSerial; }
    // After a failed Open: the device's account of why; false when there is none, as
    // for a negative port number, which asks no device.
    bool OpenFailure(PortOpenFailure* failure) { return portNumber >= 0 && device_.OpenFailure(failure); }
    // After a failed Read: the device's account of why, if it has one.
    bool DescribeReadFailure(wchar_t* out, int chars) { return device_.DescribeReadFailure(out, chars); }
    // What COM<number> leads to, for a port menu (SerialDevice::Describe).
    bool Describe(int32_t number, wchar_t* out, int chars) const { return device_.Describe(number, out, chars); }
    bool SetsItsOwnSpeed() const { return device_.SetsItsOwnSpeed(); }

    int32_t portNumber = 1;    // COM<n>; kNoPort for none
    int32_t portSpeed = 4800;  // bits per second

private:
    int32_t FailOpen(int32_t code);

    SerialDevice& device_;
    SerialHandle handle_ = kInvalidSerial;
};

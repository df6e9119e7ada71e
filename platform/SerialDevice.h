#pragma once
#include <cstdint>
#include "platform/PortOpenFailure.h"

// A serial (COM) device as the port needs it, one call per step of opening it, so
// that a failed step can be told apart from the others. Every operation that can
// fail records the system's error code, which LastError() returns until the next
// failure.
using SerialHandle = int32_t;
constexpr SerialHandle kInvalidSerial = -1;

enum class SerialParity : uint8_t { None = 0, Odd = 1, Even = 2 };
enum class SerialStopBits : uint8_t { One = 0, Two = 2 };

struct SerialLineSettings {
    uint32_t baudRate = 0;  // bits per second, passed to the driver as it is
    uint8_t byteSize = 8;   // data bits
    SerialParity parity = SerialParity::None;
    SerialStopBits stopBits = SerialStopBits::One;
    bool hardwareFlowControl = false;  // RTS/CTS
    bool softwareFlowControl = false;  // XON/XOFF, either direction
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens the device named like "COM1:" for reading only, without sharing;
    // kInvalidSerial when it cannot be opened.
    virtual SerialHandle Open(const wchar_t* deviceName) = 0;
    // Sizes the driver's queues, in bytes.
    virtual bool SetupQueues(SerialHandle port, uint32_t inputBytes, uint32_t outputBytes) = 0;
    virtual bool GetLineSettings(SerialHandle port, SerialLineSettings* settings) = 0;
    virtual bool SetLineSettings(SerialHandle port, const SerialLineSettings& settings) = 0;
    // From now on a read returns at once with whatever bytes are waiting and, when
    // none are, waits at most firstByteWaitMs for the first one.
    virtual bool SetReadTimeout(SerialHandle port, uint32_t firstByteWaitMs) = 0;
    virtual bool RaiseDtr(SerialHandle port) = 0;
    virtual bool RaiseRts(SerialHandle port) = 0;
    // Reads up to size bytes; *count says how many came (0 = none in time). False on failure.
    virtual bool Read(SerialHandle port, void* data, uint32_t size, uint32_t* count) = 0;
    virtual void Close(SerialHandle port) = 0;
    // The system error code of the last failed operation.
    virtual uint32_t LastError() = 0;
    // After an opening that failed, at Open or at a later step of it: which device and
    // why. False, the cause None, when there is nothing to tell.
    virtual bool OpenFailure(PortOpenFailure* failure) = 0;
    // After a failed Read, when the device knows more than that it failed (a network
    // connection that was closed): one sentence naming the device and the reason.
    // False, out empty, when there is nothing to add.
    virtual bool DescribeReadFailure(wchar_t* out, int chars) {
        if (chars > 0) out[0] = L'\0';
        return false;
    }
    // For a port menu: what COM<portNumber> would open now, in words, such as
    // "u-blox GNSS receiver (ttyACM0)". False, with out saying so, when the number has
    // no device. Opens nothing; LastError is left as it was.
    virtual bool Describe(int32_t portNumber, wchar_t* out, int chars) = 0;
    // True for a device whose line speed is not ours to choose (a daemon relaying a
    // receiver it set up itself): advice on the speed would mislead.
    virtual bool SetsItsOwnSpeed() { return false; }
};

#pragma once
#include <windows.h>

#include "platform/SerialDevice.h"

// COM ports through the Win32 communications calls, one call per step of opening
// (CreateFileW, SetupComm, Get/SetCommState, SetCommTimeouts, EscapeCommFunction).
class Win32SerialDevice : public SerialDevice {
public:
    Win32SerialDevice();
    ~Win32SerialDevice() override;
    Win32SerialDevice(const Win32SerialDevice&) = delete;
    Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

    SerialHandle Open(const wchar_t* deviceName) override;
    bool SetupQueues(SerialHandle port, uint32_t inputBytes, uint32_t outputBytes) override;
    bool GetLineSettings(SerialHandle port, SerialLineSettings* settings) override;
    bool SetLineSettings(SerialHandle port, const SerialLineSettings& settings) override;
    bool SetReadTimeout(SerialHandle port, uint32_t firstByteWaitMs) override;
    bool RaiseDtr(SerialHandle port) override;
    bool RaiseRts(SerialHandle port) override;
    bool Read(SerialHandle port, void* data, uint32_t size, uint32_t* count) override;
    void Close(SerialHandle port) override;
    uint32_t LastError() override { return lastError_; }
    bool OpenFailure(PortOpenFailure* failure) override;
    bool Describe(int32_t portNumber, wchar_t* out, int chars) override;

private:
    // The port, and one more while a reopen overlaps.
    static constexpr int kMaxPorts = 2;
    static constexpr int kNameChars = 24;

    bool Fail();
    HANDLE HandleOf(SerialHandle port);
    // The step of an opening under way or failed last; None once one succeeded.
    enum class OpenStep { None, Open, Queues, Line, Timeout };

    HANDLE handles_[kMaxPorts];
    OpenStep openStep_ = OpenStep::None;
    wchar_t openName_[kNameChars] = {};  // "COM3", as the user knows it
    uint32_t openBaud_ = 0;
    uint32_t lastError_ = 0;
};

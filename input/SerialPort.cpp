#include "input/SerialPort.h"

#include <cwchar>

SerialPort::SerialPort(SerialDevice& device) : device_(device) {}

int32_t SerialPort::Open() {
    Close();
    // "None" (and any other negative number) names no device; nothing is opened.
    if (portNumber < 0) return kOpenFailed;
    wchar_t name[kDeviceNameChars];
    swprintf(name, kDeviceNameChars, L"COM%d:", static_cast<int>(portNumber));
    handle_ = device_.Open(name);
    if (handle_ == kInvalidSerial) return kOpenFailed;
    if (!device_.SetupQueues(handle_, kInputQueueBytes, kOutputQueueBytes)) return FailOpen(kSetupQueuesFailed);

    // Read first, as the driver expects; a failure here is harmless, since every
    // member is set below and only the setting itself is checked.
    SerialLineSettings line;
    device_.GetLineSettings(handle_, &line);
    line.baudRate = static_cast<uint32_t>(portSpeed);
    line.byteSize = 8;
    line.parity = SerialParity::None;
    line.stopBits = SerialStopBits::One;
    line.hardwareFlowControl = false;
    line.softwareFlowControl = false;
    if (!device_.SetLineSettings(handle_, line)) return FailOpen(kSetLineFailed);

    if (!device_.SetReadTimeout(handle_, kFirstByteWaitMs)) return FailOpen(kSetTimeoutsFailed);
    // Some lines (a pseudo-terminal, a three-wire cable) have no modem control; the
    // receiver talks all the same.
    device_.RaiseDtr(handle_);
    device_.RaiseRts(handle_);
    return 0;
}

// A failed step never leaves a half-configured port open.
int32_t SerialPort::FailOpen(int32_t code) {
    device_.Close(handle_);
    handle_ = kInvalidSerial;
    return code;
}

void SerialPort::Close() {
    if (handle_ != kInvalidSerial) device_.Close(handle_);
    handle_ = kInvalidSerial;
}

int32_t SerialPort::Read(void* buffer, uint32_t size) {
    if (handle_ == kInvalidSerial) return kReadNotOpen;
    // The count must fit the signed result.
    if (size > static_cast<uint32_t>(INT32_MAX)) size = static_cast<uint32_t>(INT32_MAX);
    uint32_t count = 0;
    if (!device_.Read(handle_, buffer, size, &count)) return kReadFailed;
    return static_cast<int32_t>(count);
}

void SerialPort::SelectPort(int32_t number) {
    portNumber = number;
    Close();
}

void SerialPort::SelectSpeed(int32_t speed) {
    portSpeed = speed;
    Close();
}

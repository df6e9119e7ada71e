#pragma once
#include "platform/SerialDevice.h"
#include "gpsd/GpsdSerialDevice.h"
#include "platform/posix/PosixSerialDevice.h"

// The port's device on Linux: the tty, or gpsd when --gpsd or the GpsdServer setting
// says so. Every COM number then leads to the daemon, as --device binds every number
// to one tty. A handle is handed back to the device that opened it, so the route may
// change while a port is open.
class RoutedSerialDevice : public SerialDevice {
public:
    RoutedSerialDevice(PosixSerialDevice& tty, GpsdSerialDevice& gpsd) : tty_(tty), gpsd_(gpsd) {}

    void UseGpsd(bool use) { useGpsd_ = use; }
    bool UsesGpsd() const { return useGpsd_; }

    SerialHandle Open(const wchar_t* deviceName) override;
    bool SetupQueues(SerialHandle port, uint32_t inputBytes, uint32_t outputBytes) override {
        return opened_->SetupQueues(port, inputBytes, outputBytes);
    }
    bool GetLineSettings(SerialHandle port, SerialLineSettings* settings) override {
        return opened_->GetLineSettings(port, settings);
    }
    bool SetLineSettings(SerialHandle port, const SerialLineSettings& settings) override {
        return opened_->SetLineSettings(port, settings);
    }
    bool SetReadTimeout(SerialHandle port, uint32_t firstByteWaitMs) override {
        return opened_->SetReadTimeout(port, firstByteWaitMs);
    }
    bool RaiseDtr(SerialHandle port) override { return opened_->RaiseDtr(port); }
    bool RaiseRts(SerialHandle port) override { return opened_->RaiseRts(port); }
    bool Read(SerialHandle port, void* data, uint32_t size, uint32_t* count) override {
        return opened_->Read(port, data, size, count);
    }
    void Close(SerialHandle port) override { opened_->Close(port); }
    uint32_t LastError() override { return opened_->LastError(); }
    bool OpenFailure(PortOpenFailure* failure) override { return opened_->OpenFailure(failure); }
    bool DescribeReadFailure(wchar_t* out, int chars) override { return opened_->DescribeReadFailure(out, chars); }
    bool Describe(int32_t portNumber, wchar_t* out, int chars) override;
    bool SetsItsOwnSpeed() override { return Current().SetsItsOwnSpeed(); }
    // What the number opens on the tty route, whichever route is taken now.
    bool DescribeTty(int32_t portNumber, wchar_t* out, int chars) { return tty_.Describe(portNumber, out, chars); }

private:
    SerialDevice& Current() const;

    PosixSerialDevice& tty_;
    GpsdSerialDevice& gpsd_;
    bool useGpsd_ = false;
    SerialDevice* opened_ = &tty_;
};

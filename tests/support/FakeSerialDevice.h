#pragma once
#include <cwchar>
#include <deque>
#include <string>
#include <vector>
#include "platform/SerialDevice.h"

// A COM device in memory: bytes fed by the test wait to be read, every step can be
// made to fail on command, and every call is recorded in order.
class FakeSerialDevice : public SerialDevice {
public:
    enum class Op { Open, SetupQueues, GetLineSettings, SetLineSettings, SetReadTimeout, RaiseDtr, RaiseRts, Read, Close };

    // Every call of this kind fails with `error` until Heal.
    void Fail(Op op, uint32_t error = 31) { faults_[Index(op)] = error; }
    void Heal(Op op) { faults_[Index(op)] = 0; }
    // The next Read fails once.
    void InjectReadError(uint32_t error = 5) { readError_ = error; }
    // Bytes that wait for the next reads.
    void Feed(const std::string& bytes) { pending_.insert(pending_.end(), bytes.begin(), bytes.end()); }

    int Calls(Op op) const {
        int n = 0;
        for (Op call : calls) n += call == op;
        return n;
    }
    bool IsOpen() const { return open_ != kInvalidSerial; }

    SerialHandle Open(const wchar_t* deviceName) override {
        calls.push_back(Op::Open);
        openedNames.push_back(deviceName);
        if (Trips(Op::Open)) return kInvalidSerial;
        if (IsOpen()) {  // the device is not shared
            lastError_ = 5;
            return kInvalidSerial;
        }
        open_ = nextHandle_++;
        return open_;
    }
    bool SetupQueues(SerialHandle port, uint32_t inputBytes, uint32_t outputBytes) override {
        inputQueueBytes = inputBytes;
        outputQueueBytes = outputBytes;
        return Step(Op::SetupQueues, port);
    }
    bool GetLineSettings(SerialHandle port, SerialLineSettings* settings) override {
        if (!Step(Op::GetLineSettings, port)) return false;
        *settings = driverSettings;
        return true;
    }
    bool SetLineSettings(SerialHandle port, const SerialLineSettings& settings) override {
        if (!Step(Op::SetLineSettings, port)) return false;
        driverSettings = settings;
        return true;
    }
    bool SetReadTimeout(SerialHandle port, uint32_t firstByteWaitMs) override {
        if (!Step(Op::SetReadTimeout, port)) return false;
        readWaitMs = firstByteWaitMs;
        return true;
    }
    bool RaiseDtr(SerialHandle port) override { return dtr = Step(Op::RaiseDtr, port); }
    bool RaiseRts(SerialHandle port) override { return rts = Step(Op::RaiseRts, port); }
    bool Read(SerialHandle port, void* data, uint32_t size, uint32_t* count) override {
        *count = 0;
        if (!Step(Op::Read, port)) return false;
        if (readError_ != 0) {
            lastError_ = readError_;
            readError_ = 0;
            return false;
        }
        size_t n = pending_.size() < size ? pending_.size() : size;
        for (size_t i = 0; i < n; ++i) static_cast<char*>(data)[i] = pending_[i];
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
        *count = static_cast<uint32_t>(n);
        return true;
    }
    void Close(SerialHandle port) override {
        calls.push_back(Op::Close);
        if (port != open_) ++strayCalls;
        open_ = kInvalidSerial;
        dtr = rts = false;
    }
    uint32_t LastError() override { return lastError_; }
    // What the test set in openFailure, while it is not empty, as said by the device.
    bool OpenFailure(PortOpenFailure* failure) override {
        *failure = PortOpenFailure{};
        if (openFailure.empty()) return false;
        failure->cause = PortOpenCause::Said;
        swprintf(failure->detail, PortOpenFailure::kDetailChars, L"%ls", openFailure.c_str());
        return true;
    }
    // The device in memory stands behind no host port.
    bool Describe(int32_t, wchar_t* out, int chars) override {
        swprintf(out, static_cast<size_t>(chars), L"not present");
        return false;
    }

    std::vector<Op> calls;
    std::wstring openFailure;
    std::vector<std::wstring> openedNames;
    // What the driver holds: what GetLineSettings reports and SetLineSettings replaces.
    SerialLineSettings driverSettings{};
    uint32_t inputQueueBytes = 0;
    uint32_t outputQueueBytes = 0;
    uint32_t readWaitMs = 0;
    bool dtr = false;
    bool rts = false;
    // Calls on a handle that is not the open one.
    int strayCalls = 0;

private:
    static size_t Index(Op op) { return static_cast<size_t>(op); }
    bool Trips(Op op) {
        uint32_t error = faults_[Index(op)];
        if (error != 0) lastError_ = error;
        return error != 0;
    }
    bool Step(Op op, SerialHandle port) {
        calls.push_back(op);
        if (port != open_ || !IsOpen()) {
            ++strayCalls;
            lastError_ = 6;
            return false;
        }
        return !Trips(op);
    }

    uint32_t faults_[9] = {};
    uint32_t readError_ = 0;
    std::deque<char> pending_;
    SerialHandle open_ = kInvalidSerial;
    SerialHandle nextHandle_ = 3;
    uint32_t lastError_ = 0;
};

#pragma once
#include "platform/SerialDevice.h"
#include "gpsd/GpsdStream.h"

// The receiver as gpsd relays it, over gpsd's own JSON protocol on TCP: a port opens
// as a connection to the daemon that asks it to watch with NMEA on, and a read hands
// on the relayed sentences alone. The protocol is a few lines, spoken over one socket
// with fixed buffers, so the read keeps the tick's bounds; gpsd's client library would
// bring its own buffering and reports decoded into structures nobody here reads.
//
// The port's result codes keep their meaning: the connection, the watch request and
// the daemon's answer that it has a receiver are all step 1 (Open), and the line
// settings ask nothing of it. A closed connection or a receiver gpsd gave up on reads
// as a failure, so the port is closed and reopened a tick later, as a pulled-out
// serial receiver is.
class GpsdSerialDevice : public SerialDevice {
public:
    static constexpr int kHostBytes = 256;
    static constexpr int kPortBytes = 8;
    static constexpr const char* kDefaultServer = "localhost:2947";
    static constexpr const wchar_t* kDefaultServerText = L"localhost:2947";  // as the setting keeps it
    // How long an Open may wait for the connection and then for the daemon's list of
    // receivers; a tick must stay short even when the host does not answer at all.
    static constexpr int kConnectWaitMs = 500;
    static constexpr int kAnswerWaitMs = 300;
    // gpsd relays a listed receiver's sentences every second; a connection silent this
    // long (a hung daemon, a half-open link, a daemon that never answered the watch
    // request) is closed, and the next tick connects afresh.
    static constexpr int kQuietLimitMs = 10000;

    GpsdSerialDevice() { Bind(kDefaultServer); }
    // For tests: a shorter limit than kQuietLimitMs.
    void SetQuietLimit(int ms) { quietLimitMs_ = ms; }
    // "host", "host:port", "[v6 address]:port" or empty (localhost:2947); false, and
    // nothing changed, when it is malformed or does not fit.
    bool Bind(const char* server);
    const char* Host() const { return host_; }
    const char* Port() const { return port_; }

    SerialHandle Open(const wchar_t* deviceName) override;
    bool SetupQueues(SerialHandle, uint32_t, uint32_t) override { return true; }
    bool GetLineSettings(SerialHandle, SerialLineSettings*) override { return true; }
    bool SetLineSettings(SerialHandle, const SerialLineSettings&) override { return true; }
    bool SetReadTimeout(SerialHandle port, uint32_t firstByteWaitMs) override;
    bool RaiseDtr(SerialHandle) override { return true; }
    bool RaiseRts(SerialHandle) override { return true; }
    bool Read(SerialHandle port, void* data, uint32_t size, uint32_t* count) override;
    void Close(SerialHandle port) override;
    uint32_t LastError() override { return lastError_; }
    bool OpenFailure(PortOpenFailure* failure) override;
    bool DescribeReadFailure(wchar_t* out, int chars) override;
    bool Describe(int32_t portNumber, wchar_t* out, int chars) override;
    // gpsd sets the receiver's speed.
    bool SetsItsOwnSpeed() override { return true; }

    // Whether a daemon takes a connection at the bound address within waitMs; for a
    // menu. Changes nothing else.
    bool Answers(int waitMs) const;

private:
    enum class OpenStep { None, Resolve, Connect, Watch, Answer, NoReceiver };

    // A connected socket, or -1 with errno's reason in error, or getaddrinfo's code in
    // resolveError when the name did not resolve.
    int Connect(int waitMs, int* error, int* resolveError) const;
    bool AwaitListing(SerialHandle port);
    bool Fail(OpenStep step, int error);
    // Sentence bytes read while waiting for the answer, handed on by the first reads.
    uint32_t TakePending(uint8_t* data, uint32_t size);

    char host_[kHostBytes] = {};
    char port_[kPortBytes] = {};
    char address_[kHostBytes + kPortBytes + 3] = {};  // host:port, as messages show it
    GpsdStream stream_;
    OpenStep openStep_ = OpenStep::None;
    int resolveError_ = 0;  // getaddrinfo's code when the name could not be resolved
    int firstByteWaitMs_ = 0;
    int quietLimitMs_ = kQuietLimitMs;
    int64_t lastHeardMs_ = 0;  // when the connection opened or last brought bytes
    uint32_t lastError_ = 0;
    uint8_t pending_[1024] = {};
    uint32_t pendingBytes_ = 0;
    uint32_t pendingTaken_ = 0;
};

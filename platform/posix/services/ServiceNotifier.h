#pragma once
#include <cstdint>

// Tells the service manager how the logger stands, through the datagram socket that
// systemd names in NOTIFY_SOCKET: READY=1 once the loop runs, STATUS= with a line for
// `systemctl status`, WATCHDOG=1 while WATCHDOG_USEC asks for it, so that a loop that
// hangs is restarted. Does nothing where NOTIFY_SOCKET is not set. Fixed buffers; the
// socket is opened once, at Start.
class ServiceNotifier {
public:
    static constexpr int kStatusBytes = 256;
    static constexpr uint32_t kTickJitterMs = 250;

    ServiceNotifier() = default;
    ~ServiceNotifier();
    ServiceNotifier(const ServiceNotifier&) = delete;
    ServiceNotifier& operator=(const ServiceNotifier&) = delete;

    // Reads the environment; false when no service manager listens.
    bool Start();
    bool Listening() const { return socket_ >= 0; }
    // READY=1 with the first status line.
    void Ready(const char* status);
    // STATUS=, sent only when the text changed.
    void Status(const char* status);
    // Once a tick: WATCHDOG=1 when half the asked interval has passed since the last.
    void Tick(uint32_t nowMs);
    void Stopping();

private:
    void Send(const char* text, int length);

    int socket_ = -1;
    alignas(8) char address_[128] = {};  // a sockaddr_un
    int addressLength_ = 0;
    uint32_t watchdogMs_ = 0;  // half of WATCHDOG_USEC; 0: none asked
    uint32_t lastPetMs_ = 0;
    bool petted_ = false;
    char status_[kStatusBytes] = {};
};

#include "platform/posix/services/ServiceNotifier.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

ServiceNotifier::~ServiceNotifier() {
    if (socket_ >= 0) close(socket_);
}

bool ServiceNotifier::Start() {
    const char* path = getenv("NOTIFY_SOCKET");
    sockaddr_un address{};
    // "@name" is a name in the abstract namespace; anything else a path.
    if (path == nullptr || (path[0] != '/' && path[0] != '@') || strlen(path) >= sizeof address.sun_path) {
        return false;
    }
    socket_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket_ < 0) return false;
    address.sun_family = AF_UNIX;
    const size_t length = strlen(path);
    memcpy(address.sun_path, path, length);
    if (path[0] == '@') address.sun_path[0] = '\0';
    addressLength_ = static_cast<int>(offsetof(sockaddr_un, sun_path) + length);
    static_assert(sizeof(sockaddr_un) <= sizeof(address_), "the address fits");
    memcpy(address_, &address, sizeof address);
    // A watchdog meant for another process is not ours to feed.
    const char* pid = getenv("WATCHDOG_PID");
    const char* usec = getenv("WATCHDOG_USEC");
    if (usec != nullptr && (pid == nullptr || strtol(pid, nullptr, 10) == static_cast<long>(getpid()))) {
        const unsigned long long micro = strtoull(usec, nullptr, 10);
        // Petting at half the interval leaves a whole half for a slow tick.
        const unsigned long long half = micro / 2000;
        watchdogMs_ = static_cast<uint32_t>(half > 0xFFFFFFFFull ? 0xFFFFFFFFull : half);
    }
    return true;
}

void ServiceNotifier::Send(const char* text, int length) {
    if (socket_ < 0) return;
    // A manager that went away or a full queue must not stop the logging.
    sendto(socket_, text, static_cast<size_t>(length), MSG_NOSIGNAL | MSG_DONTWAIT,
           reinterpret_cast<const sockaddr*>(address_), static_cast<socklen_t>(addressLength_));
}

void ServiceNotifier::Ready(const char* status) {
    char text[kStatusBytes + 32];
    snprintf(status_, sizeof status_, "%s", status);
    const int length = snprintf(text, sizeof text, "READY=1\nSTATUS=%s", status_);
    Send(text, length < static_cast<int>(sizeof text) ? length : static_cast<int>(sizeof text) - 1);
}

void ServiceNotifier::Status(const char* status) {
    if (strncmp(status, status_, sizeof status_ - 1) == 0) return;
    snprintf(status_, sizeof status_, "%s", status);
    char text[kStatusBytes + 16];
    const int length = snprintf(text, sizeof text, "STATUS=%s", status_);
    Send(text, length < static_cast<int>(sizeof text) ? length : static_cast<int>(sizeof text) - 1);
}

void ServiceNotifier::Tick(uint32_t nowMs) {
    if (watchdogMs_ == 0) return;
    // A tick may come a little early; a pet a little early is better than one a tick late.
    if (petted_ && nowMs - lastPetMs_ + kTickJitterMs < watchdogMs_) return;
    petted_ = true;
    lastPetMs_ = nowMs;
    Send("WATCHDOG=1", 10);
}

void ServiceNotifier::Stopping() { Send("STOPPING=1", 10); }

#include "gpsd/GpsdSerialDevice.h"

#include <netdb.h>
#include <poll.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Utf8.h"
#include "platform/posix/ErrorWords.h"
#include "platform/posix/PosixClock.h"

namespace {

const char kWatch[] = "?WATCH={\"enable\":true,\"nmea\":true};\n";

// Reads that bring gpsd's reports alone are read past, up to this many, so that a
// report does not end the tick's reading before the sentence behind it.
constexpr int kReadsPerCall = 8;

int Remaining(int64_t start, int waitMs) {
    const int64_t spent = MonotonicMs() - start;
    return spent >= waitMs ? 0 : waitMs - static_cast<int>(spent);
}

// Waits for the socket to be ready for events; 0 when it is, else the reason.
int WaitReady(int fd, short events, int waitMs) {
    pollfd wait {};
    wait.fd = fd;
    wait.events = events;
    for (const int64_t start = MonotonicMs();;) {
        const int ready = poll(&wait, 1, Remaining(start, waitMs));
        if (ready > 0) return 0;
        if (ready == 0) return ETIMEDOUT;
        if (errno != EINTR) return errno;
    }
}

}  // namespace

bool GpsdSerialDevice::Bind(const char* server) {
    if (server == nullptr || server[0] == '\0') server = kDefaultServer;
    const char* hostStart = server;
    const char* hostEnd = nullptr;
    const char* port = nullptr;
    if (server[0] == '[') {
        hostStart = server + 1;
        hostEnd = strchr(hostStart, ']');
        if (hostEnd == nullptr || (hostEnd[1] != '\0' && hostEnd[1] != ':')) return false;
        if (hostEnd[1] == ':') port = hostEnd + 2;
    } else {
        const char* colon = strchr(server, ':');
        // More than one colon: an IPv6 address without a port.
        if (colon != nullptr && strchr(colon + 1, ':') == nullptr) {
            hostEnd = colon;
            port = colon + 1;
        } else {
            hostEnd = server + strlen(server);
        }
    }
    const size_t hostLength = static_cast<size_t>(hostEnd - hostStart);
    if (port == nullptr) port = "2947";
    const size_t portLength = strlen(port);
    if (hostLength == 0 || hostLength >= sizeof host_ || portLength == 0 || portLength >= sizeof port_ ||
        strspn(port, "0123456789") != portLength) {
        return false;
    }
    // A TCP port is 1 to 65535; a control character belongs in no host name.
    const long number = strtol(port, nullptr, 10);
    if (number < 1 || number > 65535) return false;
    for (const char* c = hostStart; c < hostEnd; ++c) {
        if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7f) return false;
    }
    memcpy(host_, hostStart, hostLength);
    host_[hostLength] = '\0';
    memcpy(port_, port, portLength + 1);
    // An IPv6 address is bracketed, so that its port stands apart: [::1]:2947.
    snprintf(address_, sizeof address_, strchr(host_, ':') != nullptr ? "[%s]:%s" : "%s:%s", host_, port_);
    return true;
}

bool GpsdSerialDevice::Fail(OpenStep step, int error) {
    openStep_ = step;
    lastError_ = static_cast<uint32_t>(error);
    return false;
}

// Every address of the name is tried in turn within the one wait: "localhost" is
// ::1 first, and a daemon may listen on 127.0.0.1 alone.
int GpsdSerialDevice::Connect(int waitMs, int* error, int* resolveError) const {
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    *resolveError = getaddrinfo(host_, port_, &hints, &found);
    if (*resolveError != 0) {
        *error = *resolveError == EAI_SYSTEM ? errno : 0;
        return -1;
    }
    const int64_t start = MonotonicMs();
    int fd = -1;
    *error = ECONNREFUSED;
    for (addrinfo* address = found; address != nullptr && fd < 0; address = address->ai_next) {
        fd = socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0) {
            *error = errno;
            continue;
        }
        int result = connect(fd, address->ai_addr, address->ai_addrlen) == 0 ? 0 : errno;
        if (result == EINPROGRESS) {
            result = WaitReady(fd, POLLOUT, Remaining(start, waitMs));
            socklen_t length = sizeof result;
            if (result == 0) getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length);
        }
        if (result != 0) {
            *error = result;
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    // A second guard besides the silence rule: the system probes an idle link to another
    // host and ends one that no longer answers.
    if (fd >= 0) {
        const int on = 1;
        const int idle = 10;
        const int interval = 5;
        const int probes = 3;
        setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
        setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
        setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
        setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    }
    return fd;
}

SerialHandle GpsdSerialDevice::Open(const wchar_t*) {
    stream_.Reset();
    pendingBytes_ = pendingTaken_ = 0;
    int error = 0;
    const int fd = Connect(kConnectWaitMs, &error, &resolveError_);
    if (fd < 0) {
        Fail(resolveError_ != 0 ? OpenStep::Resolve : OpenStep::Connect, error);
        return kInvalidSerial;
    }
    if (send(fd, kWatch, sizeof kWatch - 1, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof kWatch - 1)) {
        Fail(OpenStep::Watch, errno);
    } else if (AwaitListing(fd)) {
        if (stream_.receivers() != GpsdStream::Receivers::None) {
            openStep_ = OpenStep::None;
            lastHeardMs_ = MonotonicMs();
            return fd;
        }
        Fail(OpenStep::NoReceiver, ENODEV);
    }
    close(fd);
    return kInvalidSerial;
}

// The answer to the watch request lists the receivers; sentences may follow it in the
// same segment and are kept for the first reads. gpsd opens its receivers before it
// answers the first watcher, which may take longer than a tick should: then the
// answer is read with the sentences, and one that lists none fails a read instead.
bool GpsdSerialDevice::AwaitListing(SerialHandle port) {
    const int64_t start = MonotonicMs();
    while (!stream_.Listed()) {
        const int waited = WaitReady(port, POLLIN, Remaining(start, kAnswerWaitMs));
        if (waited == ETIMEDOUT) return true;
        if (waited != 0) return Fail(OpenStep::Answer, waited);
        const uint32_t room = sizeof pending_ - pendingBytes_;
        const ssize_t got = recv(port, pending_ + pendingBytes_, room, MSG_DONTWAIT);
        if (got == 0) return Fail(OpenStep::Answer, ECONNRESET);
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            return Fail(OpenStep::Answer, errno);
        }
        pendingBytes_ += stream_.Filter(pending_ + pendingBytes_, static_cast<uint32_t>(got));
        if (pendingBytes_ == sizeof pending_) return Fail(OpenStep::Answer, EPROTO);
    }
    return true;
}

bool GpsdSerialDevice::SetReadTimeout(SerialHandle, uint32_t firstByteWaitMs) {
    firstByteWaitMs_ = firstByteWaitMs > INT_MAX ? INT_MAX : static_cast<int>(firstByteWaitMs);
    return true;
}

uint32_t GpsdSerialDevice::TakePending(uint8_t* data, uint32_t size) {
    uint32_t count = pendingBytes_ - pendingTaken_;
    if (count > size) count = size;
    memcpy(data, pending_ + pendingTaken_, count);
    pendingTaken_ += count;
    return count;
}

bool GpsdSerialDevice::Read(SerialHandle port, void* data, uint32_t size, uint32_t* count) {
    auto* bytes = static_cast<uint8_t*>(data);
    *count = TakePending(bytes, size);
    if (*count > 0 || size == 0) return true;
    // Its last receiver gone, gpsd relays nothing until one comes: reopening says so.
    if (stream_.receivers() == GpsdStream::Receivers::None) {
        lastError_ = ENODEV;
        return false;
    }
    int waitMs = firstByteWaitMs_;
    for (int reads = 0; reads < kReadsPerCall && *count == 0; ++reads, waitMs = 0) {
        const int waited = WaitReady(port, POLLIN, waitMs);
        if (waited == ETIMEDOUT) {
            if (MonotonicMs() - lastHeardMs_ < quietLimitMs_) return true;
            lastError_ = ETIMEDOUT;
            return false;
        }
        if (waited != 0) {
            lastError_ = static_cast<uint32_t>(waited);
            return false;
        }
        const ssize_t got = recv(port, bytes, size, MSG_DONTWAIT);
        if (got == 0) {
            lastError_ = ECONNRESET;
            return false;
        }
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) return true;
            lastError_ = static_cast<uint32_t>(errno);
            return false;
        }
        lastHeardMs_ = MonotonicMs();
        *count = stream_.Filter(bytes, static_cast<uint32_t>(got));
    }
    return true;
}

void GpsdSerialDevice::Close(SerialHandle port) { close(port); }

bool GpsdSerialDevice::Answers(int waitMs) const {
    int error = 0;
    int resolveError = 0;
    const int fd = Connect(waitMs, &error, &resolveError);
    if (fd >= 0) close(fd);
    return fd >= 0;
}

bool GpsdSerialDevice::Describe(int32_t, wchar_t* out, int chars) {
    char text[kHostBytes + 32];
    snprintf(text, sizeof text, "gpsd at %s", address_);
    Utf8ToWide(text, out, chars);
    return true;
}

bool GpsdSerialDevice::DescribeReadFailure(wchar_t* out, int chars) {
    const int error = static_cast<int>(lastError_);
    char text[kHostBytes + 256];
    if (error == ENODEV) {
        snprintf(text, sizeof text, "gpsd at %s gave up its last receiver: logging goes on when one comes back.",
                 address_);
    } else if (error == ETIMEDOUT) {
        snprintf(text, sizeof text,
                 "gpsd at %s sent nothing for %d s (a hung daemon, or the link to it is down): reconnecting every "
                 "second.",
                 address_, quietLimitMs_ / 1000);
    } else if (error == ECONNRESET) {
        snprintf(text, sizeof text, "gpsd at %s closed the connection (stopped or restarted?): reconnecting every "
                 "second.", address_);
    } else {
        char unknown[32];
        snprintf(text, sizeof text, "lost the connection to gpsd at %s: %s; reconnecting every second.", address_,
                 ErrorWords(error, unknown));
    }
    Utf8ToWide(text, out, chars);
    return true;
}

// gpsd's failures are worded here, alike for every face: they name the daemon, not
// a port of ours.
bool GpsdSerialDevice::OpenFailure(PortOpenFailure* failure) {
    *failure = PortOpenFailure{};
    const int error = static_cast<int>(lastError_);
    char unknown[32];
    const char* reason = ErrorWords(error, unknown);
    char text[kHostBytes + 512];
    const size_t room = sizeof text;
    switch (openStep_) {
        case OpenStep::None:
            return false;
        case OpenStep::Resolve:
            snprintf(text, room, "cannot find the gpsd host %s: %s; check the name given to --gpsd or GpsdServer.",
                     host_, resolveError_ == EAI_SYSTEM ? reason : gai_strerror(resolveError_));
            break;
        case OpenStep::Connect:
            if (error == ECONNREFUSED) {
                snprintf(text, room,
                         "gpsd is not running at %s (connection refused): start it (sudo systemctl start "
                         "gpsd.socket), or give its address with --gpsd HOST:PORT.",
                         address_);
            } else if (error == ETIMEDOUT) {
                snprintf(text, room,
                         "no answer from gpsd at %s within %d ms: is the host up, and does its gpsd listen on the "
                         "network (gpsd -G)?",
                         address_, kConnectWaitMs);
            } else {
                snprintf(text, room, "cannot connect to gpsd at %s: %s; check the address and the network.",
                         address_, reason);
            }
            break;
        case OpenStep::Watch:
        case OpenStep::Answer:
            snprintf(text, room, "gpsd at %s did not take the request for NMEA (%s): is it gpsd that listens there?",
                     address_, reason);
            break;
        case OpenStep::NoReceiver:
            snprintf(text, room,
                     "gpsd at %s has no receiver: plug one in, or add it to gpsd (sudo gpsdctl add /dev/ttyACM0).",
                     address_);
            break;
    }
    failure->cause = PortOpenCause::Said;
    Utf8ToWide(text, failure->detail, PortOpenFailure::kDetailChars);
    return true;
}

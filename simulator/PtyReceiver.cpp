#include "simulator/PtyReceiver.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/PosixClock.h"

namespace {

bool Failed(const char* step, std::string& error) {
    error = std::string("cannot create a pseudo-terminal (") + step + ": " + strerror(errno) +
            "). Check that /dev/ptmx and the devpts file system on /dev/pts are there (in a container: "
            "mount -t devpts devpts /dev/pts) and that not all pseudo-terminals are taken, or write the "
            "drive into a file instead: kestrave simulate --out FILE";
    return false;
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace

PtyReceiver::~PtyReceiver() {
    CloseIfOpen(notify_);
    CloseIfOpen(slave_);
    CloseIfOpen(master_);
}

bool PtyReceiver::Open(std::string& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return Failed("open /dev/ptmx", error);
    if (grantpt(master_) != 0) return Failed("grantpt", error);
    if (unlockpt(master_) != 0) return Failed("unlockpt", error);
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) return Failed("ptsname", error);
    path_ = name;
    if (fcntl(master_, F_SETFL, O_NONBLOCK) != 0) return Failed("non-blocking master", error);

    slave_ = open(name, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) return Failed(name, error);
    termios line{};
    if (tcgetattr(slave_, &line) != 0) return Failed("tcgetattr", error);
    cfmakeraw(&line);
    if (tcsetattr(slave_, TCSANOW, &line) != 0) return Failed("tcsetattr", error);

    // Our own slave was opened before the watch, so only other processes count.
    notify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (notify_ >= 0 && inotify_add_watch(notify_, name, IN_OPEN | IN_CLOSE) < 0) CloseIfOpen(notify_);
    return true;
}

void PtyReceiver::Serve(int64_t untilNs, const sigset_t* waitMask) {
    int64_t leftNs = untilNs - MonotonicNs();
    if (leftNs < 0) leftNs = 0;
    timespec wait{static_cast<time_t>(leftNs / 1000000000), static_cast<long>(leftNs % 1000000000)};
    pollfd fds[2] = {{master_, POLLIN, 0}, {notify_, POLLIN, 0}};
    int ready = ppoll(fds, notify_ >= 0 ? 2 : 1, &wait, waitMask);
    if (ready <= 0) return;
    if ((fds[0].revents & POLLIN) != 0) DiscardInput();
    if (notify_ >= 0 && (fds[1].revents & POLLIN) != 0) FollowReaders();
}

// A receiver ignores what is sent to it; reading it keeps the master's input from
// filling up and stopping the reader's writes.
void PtyReceiver::DiscardInput() {
    char scrap[4096];
    while (read(master_, scrap, sizeof scrap) > 0) {
    }
}

void PtyReceiver::FollowReaders() {
    alignas(inotify_event) char events[4096];
    ssize_t got;
    while ((got = read(notify_, events, sizeof events)) > 0) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if ((event->mask & IN_Q_OVERFLOW) != 0) {
                // The count is lost; from now on someone is assumed to listen.
                CloseIfOpen(notify_);
                return;
            }
            if ((event->mask & IN_OPEN) != 0) ++readers_;
            if ((event->mask & IN_CLOSE) != 0 && readers_ > 0) {
                // A port opened later starts empty, as a UART nobody reads keeps nothing.
                if (--readers_ == 0) tcflush(slave_, TCIFLUSH);
            }
        }
    }
}

size_t PtyReceiver::Send(const char* data, size_t size) {
    if (!HasReader() || size == 0) return 0;
    ssize_t put;
    do {
        put = write(master_, data, size);
    } while (put < 0 && errno == EINTR);
    return put > 0 ? static_cast<size_t>(put) : 0;
}

int PtyReceiver::Unread() const {
    int count = 0;
    return ioctl(slave_, FIONREAD, &count) == 0 ? count : 0;
}

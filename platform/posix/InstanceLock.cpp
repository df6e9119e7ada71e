#include "platform/posix/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The holder writes its id just after it locks; a reader that comes in between waits a little.
constexpr int kReadTries = 10;
constexpr long kReadPauseNs = 20 * 1000 * 1000;

pid_t ReadHolder(int fd) {
    for (int attempt = 0; attempt < kReadTries; ++attempt) {
        char text[32] = {};
        ssize_t count = pread(fd, text, sizeof text - 1, 0);
        long pid = count > 0 ? strtol(text, nullptr, 10) : 0;
        if (pid > 0) return static_cast<pid_t>(pid);
        timespec pause{0, kReadPauseNs};
        nanosleep(&pause, nullptr);
    }
    return 0;
}

}  // namespace

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) close(fd_);
}

std::string InstanceLock::DefaultPath() {
    // The runtime folder must be absolute to be used at all.
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/kestrave.lock";
    return "/tmp/kestrave-" + std::to_string(getuid()) + ".lock";
}

InstanceLock::Result InstanceLock::Acquire(const std::string& path) {
    // No following of links and only a file of our own: in a shared /tmp another user
    // could have put one there first.
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error_ = "cannot open the lock file " + path + ": " + strerror(errno);
        return Result::Failed;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != getuid()) {
        error_ = "the lock file " + path + " is not a file of yours";
        close(fd);
        return Result::Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        if (error == EWOULDBLOCK) {
            holder_ = ReadHolder(fd);
            close(fd);
            return Result::Held;
        }
        error_ = "cannot lock " + path + ": " + strerror(error);
        close(fd);
        return Result::Failed;
    }
    char text[32];
    int length = snprintf(text, sizeof text, "%ld\n", static_cast<long>(getpid()));
    if (ftruncate(fd, 0) != 0 || pwrite(fd, text, static_cast<size_t>(length), 0) != length) {
        // The lock itself holds; only the id a second start would print is missing.
        error_ = "cannot write the process id into " + path + ": " + strerror(errno);
    }
    fd_ = fd;
    holder_ = getpid();
    return Result::Acquired;
}

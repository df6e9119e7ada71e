#include "platform/posix/services/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
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

// The real path of a folder; one that does not exist yet is its nearest existing
// ancestor's real path followed by the rest as written.
std::string RealPath(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    char real[PATH_MAX];
    if (realpath(path.c_str(), real) != nullptr) return real;
    if (path.empty() || path == "." || path == "/") return path;
    const size_t cut = path.find_last_of('/');
    const std::string parent = cut == std::string::npos ? "." : cut == 0 ? "/" : path.substr(0, cut);
    const std::string head = RealPath(parent);
    return (head == "/" ? "" : head) + "/" + path.substr(cut == std::string::npos ? 0 : cut + 1);
}

// FNV-1a, 64 bits: a short, stable file name for any path.
std::string Hash(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    char hex[17];
    snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

}  // namespace

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) close(fd_);
}

std::string InstanceLock::PathFor(const std::string& folder) {
    const std::string hash = Hash(RealPath(folder));
    // The runtime folder must be absolute to be used at all.
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/kestrave-" + hash + ".lock";
    return "/tmp/kestrave-" + std::to_string(getuid()) + "-" + hash + ".lock";
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

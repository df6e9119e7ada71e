#pragma once
#include <string>
#include <sys/types.h>

// Keeps a second logger from writing into the same output folder: an flock on a file
// in the user's runtime folder named after the folder, with the holder's process id
// written in it. The system drops the lock when its process ends, however it ends, so
// a file left behind does not block the next start.
class InstanceLock {
public:
    enum class Result { Acquired, Held, Failed };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The lock file of an output folder: $XDG_RUNTIME_DIR/kestrave-<hash>.lock, else
    // /tmp/kestrave-<uid>-<hash>.lock, where the hash is of the folder's real path, so
    // that every name of one folder (links, "..", relative paths) finds the same file.
    // The folder need not exist yet.
    static std::string PathFor(const std::string& folder);

    // Held: another process has it; Holder() tells which (0 when its file holds no id).
    // Failed: the file cannot be used; Error() says why.
    Result Acquire(const std::string& path);
    pid_t Holder() const { return holder_; }
    const std::string& Error() const { return error_; }

private:
    int fd_ = -1;
    pid_t holder_ = 0;
    std::string error_;
};

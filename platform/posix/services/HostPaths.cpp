#include "platform/posix/services/HostPaths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

bool IsHostFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsHostFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

int CheckReadableFile(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || access(path.c_str(), R_OK) != 0) return errno;
    return S_ISDIR(info.st_mode) ? EISDIR : 0;
}

int ReadWholeFile(const std::string& path, size_t maxBytes, std::string* text, struct stat* info) {
    struct stat own {};
    if (info == nullptr) info = &own;
    // O_NONBLOCK: a fifo in the file's place must not hang the program.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (stat(path.c_str(), info) != 0) *info = {};
        return error;
    }
    int error = 0;
    if (fstat(fd, info) != 0) {
        error = errno;
        *info = {};
    } else if (!S_ISREG(info->st_mode)) {
        error = S_ISDIR(info->st_mode) ? EISDIR : EINVAL;
    }
    char chunk[65536];
    while (error == 0) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got == 0) break;
        if (got < 0) {
            if (errno != EINTR) error = errno;
            continue;
        }
        text->append(chunk, static_cast<size_t>(got));
        if (text->size() > maxBytes) error = EFBIG;
    }
    close(fd);
    return error;
}

int WriteTemporary(const std::string& path, const std::string& text, mode_t mode, std::string* temporary) {
    std::string name = path + ".tmp.XXXXXX";
    int fd = mkostemp(&name[0], O_CLOEXEC);
    if (fd < 0) return errno;
    *temporary = name;
    // mkostemp makes the file private. A file system without permissions (FAT) refuses
    // the change, which loses nothing there.
    fchmod(fd, mode);
    int error = 0;
    size_t done = 0;
    while (done < text.size() && error == 0) {
        ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put > 0) {
            done += static_cast<size_t>(put);
        } else if (put == 0) {
            error = ENOSPC;
        } else if (errno != EINTR) {
            error = errno;
        }
    }
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    return error;
}

std::string AbsoluteHostPath(const std::string& path) {
    char absolute[PATH_MAX];
    return realpath(path.c_str(), absolute) != nullptr ? std::string(absolute) : path;
}

std::string CurrentHostFolder() {
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) != nullptr ? std::string(folder) : std::string();
}

int MakeHostFolder(const std::string& path) {
    if (IsHostFolder(path) || mkdir(path.c_str(), 0777) == 0) return 0;
    const int error = errno;
    // Another process may have made it in the meantime.
    return IsHostFolder(path) ? 0 : error;
}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

std::string WhyNotReplace(const std::string& path, const std::vector<std::string>& inputs) {
    struct stat there {};
    if (lstat(path.c_str(), &there) != 0 || S_ISLNK(there.st_mode)) return "";
    static const struct {
        mode_t type;
        const char* words;
    } kKinds[] = {{S_IFDIR, "a folder"}, {S_IFCHR, "a device"}, {S_IFBLK, "a device"}, {S_IFIFO, "a FIFO"},
                  {S_IFSOCK, "a socket"}};
    for (const auto& kind : kKinds) {
        if ((there.st_mode & S_IFMT) == kind.type) return kind.words;
    }
    for (const std::string& input : inputs) {
        struct stat read {};
        if (stat(input.c_str(), &read) == 0 && read.st_dev == there.st_dev && read.st_ino == there.st_ino) {
            return "the file being read, " + input;
        }
    }
    return "";
}

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

int OpenPlainFile(const std::string& path, int* fd, struct stat* info) {
    struct stat own {};
    if (info == nullptr) info = &own;
    // O_NONBLOCK: a fifo in the file's place must not hang the program.
    *fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (*fd < 0) {
        const int error = errno;
        if (stat(path.c_str(), info) != 0) *info = {};
        return error;
    }
    int error = 0;
    if (fstat(*fd, info) != 0) {
        error = errno;
        *info = {};
    } else if (!S_ISREG(info->st_mode)) {
        error = S_ISDIR(info->st_mode) ? EISDIR : EINVAL;
    }
    if (error != 0) {
        close(*fd);
        *fd = -1;
    }
    return error;
}

int ReadWholeFile(const std::string& path, size_t maxBytes, std::string* text, struct stat* info) {
    int fd = -1;
    int error = OpenPlainFile(path, &fd, info);
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
    if (fd >= 0) close(fd);
    return error;
}

int CreateTemporary(const std::string& path, mode_t mode, std::string* temporary, int* fd) {
    std::string name = path + ".tmp.XXXXXX";
    *fd = mkostemp(&name[0], O_CLOEXEC);
    if (*fd < 0) return errno;
    *temporary = name;
    // mkostemp makes the file private. A file system without permissions (FAT) refuses
    // the change, which loses nothing there.
    fchmod(*fd, mode);
    return 0;
}

int WriteAll(int fd, const char* bytes, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t put = write(fd, bytes + done, size - done);
        if (put > 0) {
            done += static_cast<size_t>(put);
        } else if (put == 0) {
            return ENOSPC;
        } else if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

int FinishTemporary(int fd) {
    int error = fsync(fd) != 0 ? errno : 0;
    if (close(fd) != 0 && error == 0) error = errno;
    return error;
}

mode_t NewFileMode() {
    // The commands that write files run on one thread, so reading the umask this way
    // races with nothing.
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

int WriteTemporary(const std::string& path, const std::string& text, mode_t mode, std::string* temporary) {
    int fd = -1;
    int error = CreateTemporary(path, mode, temporary, &fd);
    if (error != 0) return error;
    error = WriteAll(fd, text.data(), text.size());
    if (error != 0) {
        close(fd);
        return error;
    }
    return FinishTemporary(fd);
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

#include "platform/posix/HostPaths.h"

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

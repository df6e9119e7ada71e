#include "platform/posix/DeviceHolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool HoldsFile(long pid, const struct stat& target) {
    char folder[64];
    snprintf(folder, sizeof folder, "/proc/%ld/fd", pid);
    DIR* fds = opendir(folder);
    if (fds == nullptr) return false;
    bool found = false;
    while (!found) {
        const dirent* entry = readdir(fds);
        if (entry == nullptr) break;
        char link[sizeof folder + sizeof entry->d_name];
        snprintf(link, sizeof link, "%s/%s", folder, entry->d_name);
        struct stat file {};
        // stat follows the link to the open file itself.
        found = entry->d_name[0] != '.' && stat(link, &file) == 0 && SameFile(file, target);
    }
    closedir(fds);
    return found;
}

void ReadName(long pid, char* name, int nameBytes) {
    snprintf(name, static_cast<size_t>(nameBytes), "?");
    char path[64];
    snprintf(path, sizeof path, "/proc/%ld/comm", pid);
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ssize_t got = read(fd, name, static_cast<size_t>(nameBytes - 1));
    close(fd);
    if (got <= 0) return;
    name[got] = '\0';
    name[strcspn(name, "\n")] = '\0';
}

}  // namespace

pid_t FindDeviceHolder(const char* path, char* name, int nameBytes) {
    struct stat target {};
    if (stat(path, &target) != 0) return 0;
    DIR* processes = opendir("/proc");
    if (processes == nullptr) return 0;
    const pid_t self = getpid();
    pid_t holder = 0;
    while (holder == 0) {
        const dirent* entry = readdir(processes);
        if (entry == nullptr) break;
        char* end = nullptr;
        const long pid = strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || pid == self) continue;
        if (HoldsFile(pid, target)) {
            holder = static_cast<pid_t>(pid);
            ReadName(pid, name, nameBytes);
        }
    }
    closedir(processes);
    return holder;
}

#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cwchar>

#include "platform/Utf8.h"
#include "platform/posix/ErrorWords.h"


PosixFileSystem::PosixFileSystem(const char* rootDir) {
    snprintf(root_, sizeof root_, "%s", rootDir);
    // Trailing slashes are dropped, so that the root "/" does not give "//name".
    size_t length = strlen(root_);
    while (length > 0 && root_[length - 1] == '/') root_[--length] = '\0';
}

bool PosixFileSystem::Fail() { return Fail(errno); }

bool PosixFileSystem::Fail(int error) {
    lastError_ = static_cast<uint32_t>(error);
    return false;
}

bool PosixFileSystem::HostPath(const wchar_t* path, char* out, int outBytes) {
    int used = 0;
    out[0] = '\0';
    bool device = path[0] == L'\\';
    if (device) {
        used = static_cast<int>(strlen(root_));
        if (used >= outBytes) return Fail(ENAMETOOLONG);
        memcpy(out, root_, static_cast<size_t>(used));
    }
    // Device components are copied one by one so that "." and ".." cannot climb out
    // of the root and doubled backslashes do not make empty components.
    const wchar_t* p = path;
    while (*p != L'\0') {
        if (device) {
            while (*p == L'\\') ++p;
            if (*p == L'\0') break;
            const wchar_t* end = p;
            while (*end != L'\0' && *end != L'\\') ++end;
            size_t length = static_cast<size_t>(end - p);
            if ((length == 1 && p[0] == L'.') || (length == 2 && p[0] == L'.' && p[1] == L'.')) {
                return Fail(EINVAL);
            }
            if (!AppendUtf8(L'/', out, outBytes, &used)) return Fail(ENAMETOOLONG);
            for (; p < end; ++p) {
                if (*p == L'/') return Fail(EINVAL);
                if (!AppendUtf8(*p, out, outBytes, &used)) return Fail(ENAMETOOLONG);
            }
        } else {
            if (!AppendUtf8(*p++, out, outBytes, &used)) return Fail(ENAMETOOLONG);
        }
    }
    if (used == 0) {
        if (!AppendUtf8(L'/', out, outBytes, &used)) return Fail(ENAMETOOLONG);
    }
    out[used] = '\0';
    return true;
}

bool PosixFileSystem::FolderExists(const wchar_t* path) {
    char host[kHostPathBytes];
    if (!HostPath(path, host, sizeof host)) return false;
    struct stat info {};
    if (stat(host, &info) != 0) return Fail();
    return S_ISDIR(info.st_mode);
}

bool PosixFileSystem::ListEntries(const wchar_t* path, FolderVisitor& visitor) {
    char host[kHostPathBytes];
    if (!HostPath(path[0] == L'\0' ? L"\\" : path, host, sizeof host)) return false;
    DIR* folder = opendir(host);
    if (folder == nullptr) return Fail();
    while (const dirent* entry = readdir(folder)) {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            // A link to a folder is a folder to the user; stat follows it.
            char child[kHostPathBytes];
            struct stat info {};
            isFolder = snprintf(child, sizeof child, "%s/%s", host, entry->d_name) < static_cast<int>(sizeof child) &&
                       stat(child, &info) == 0 && S_ISDIR(info.st_mode);
        }
        wchar_t name[256];
        if (Utf8ToWide(entry->d_name, name, 256)) visitor.OnEntry(name, isFolder);
    }
    closedir(folder);
    return true;
}

bool PosixFileSystem::CreateFolder(const wchar_t* path) {
    char host[kHostPathBytes];
    if (!HostPath(path, host, sizeof host)) return false;
    if (mkdir(host, 0777) != 0) return Fail();
    return true;
}

FileHandle PosixFileSystem::OpenDayFile(const wchar_t* path, DayFileAccess access) {
    char host[kHostPathBytes];
    if (!HostPath(path, host, sizeof host)) return kInvalidFile;
    static constexpr int kModes[] = {O_RDONLY, O_RDWR | O_CREAT | O_APPEND, O_RDWR | O_CREAT};
    const int mode = kModes[static_cast<int>(access)];
    // O_NOFOLLOW: a link fails (ELOOP) rather than leading elsewhere, also a dangling
    // one. O_NONBLOCK: a pipe of that name cannot hold the recorder up at the open.
    const int fd = open(host, mode | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        Fail();
        return kInvalidFile;
    }
    const int problem = DayFileProblem(fd, access);
    if (problem != 0) {
        close(fd);
        Fail(problem);
        return kInvalidFile;
    }
    return fd;
}

int PosixFileSystem::DayFileProblem(int fd, DayFileAccess access) {
    struct stat info {};
    if (fstat(fd, &info) != 0) return errno;
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (!S_ISREG(info.st_mode)) return ENXIO;
    // A second name would carry the day's lines into a file that is not the day's alone.
    if (info.st_nlink > 1) return EMLINK;
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return errno;
    // Another recorder on the same folder holds its lock for one flush; a lock that is
    // not given back within the time is a failure rather than a hang.
    const int lock = access == DayFileAccess::Read ? LOCK_SH : LOCK_EX;
    for (int tries = 1;; ++tries) {
        if (flock(fd, lock | LOCK_NB) == 0) return 0;
        if (errno != EWOULDBLOCK && errno != EINTR) return errno;
        if (tries == kLockTries) return EWOULDBLOCK;
        timespec pause{0, 10 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
}

FileHandle PosixFileSystem::OpenExisting(const wchar_t* path) {
    char host[kHostPathBytes];
    if (!HostPath(path, host, sizeof host)) return kInvalidFile;
    int fd = open(host, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Fail();
        return kInvalidFile;
    }
    // A folder opens for reading on POSIX but cannot be read as a file.
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        close(fd);
        Fail(EISDIR);
        return kInvalidFile;
    }
    return fd;
}

uint64_t PosixFileSystem::Size(FileHandle file) {
    struct stat info {};
    if (fstat(file, &info) != 0) {
        Fail();
        return kInvalidSize;
    }
    return static_cast<uint64_t>(info.st_size);
}

uint64_t PosixFileSystem::SeekFromEnd(FileHandle file, int64_t offset) {
    DropReadAhead(file);
    const off_t position = lseek(file, static_cast<off_t>(offset), SEEK_END);
    if (position < 0) {
        Fail();
        return kInvalidSize;
    }
    return static_cast<uint64_t>(position);
}

bool PosixFileSystem::ReadDirect(FileHandle file, void* data, uint32_t size, uint32_t* count) {
    *count = 0;
    for (;;) {
        ssize_t got = read(file, data, size);
        if (got >= 0) {
            *count = static_cast<uint32_t>(got);
            return true;
        }
        if (errno != EINTR) return Fail();
        // Ctrl+C while a pipe is silent: waiting on would lose the request.
        if (stopRequested_ != nullptr && stopRequested_()) {
            readStopped_ = true;
            return Fail(EINTR);
        }
    }
}

bool PosixFileSystem::Read(FileHandle file, void* data, uint32_t size, uint32_t* count) {
    *count = 0;
    readStopped_ = false;
    if (stopPending_) {
        stopPending_ = false;
        readStopped_ = true;
        return Fail(EINTR);
    }
    if (file != readAheadFile_) {
        // The buffer still holds another file's bytes: this read goes straight through.
        if (readAheadNext_ < readAheadEnd_) return ReadDirect(file, data, size, count);
        readAheadFile_ = file;  // the buffer is empty: the loop below refills it for this file
    }
    unsigned char* out = static_cast<unsigned char*>(data);
    // A plain read of a file gives all it asks for unless the file ends there: so does
    // this, refilling as it must, so that chunk boundaries stay where they were. Once a
    // refill has come back short (the end of the file, or a pipe run dry), a read with
    // bytes in hand returns them rather than wait for more.
    while (*count < size) {
        if (readAheadNext_ == readAheadEnd_) {
            if (*count > 0 && readAheadShort_) break;
            uint32_t got = 0;
            readAheadNext_ = readAheadEnd_ = 0;
            if (!ReadDirect(file, readAhead_, kReadAheadBytes, &got)) {
                // Bytes already handed over count; the failure comes again on the next read.
                stopPending_ = readStopped_ && *count > 0;
                if (stopPending_) readStopped_ = false;
                return *count > 0;
            }
            if (got == 0) break;
            readAheadEnd_ = got;
            readAheadShort_ = got < kReadAheadBytes;
        }
        const uint32_t take = std::min(size - *count, readAheadEnd_ - readAheadNext_);
        memcpy(out + *count, readAhead_ + readAheadNext_, take);
        readAheadNext_ += take;
        *count += take;
    }
    return true;
}

// Before the file position moves, the file is written or closed, the bytes read ahead
// and not yet taken are given back, so the position is where the caller believes it is
// and a later file with the same descriptor starts afresh.
void PosixFileSystem::DropReadAhead(FileHandle file) {
    if (file != readAheadFile_) return;
    if (readAheadNext_ < readAheadEnd_) {
        lseek(file, -static_cast<off_t>(readAheadEnd_ - readAheadNext_), SEEK_CUR);
    }
    readAheadFile_ = kInvalidFile;
    readAheadNext_ = readAheadEnd_ = 0;
}

// Keeps writing until all bytes are out, so only a real failure or a full disk
// leaves the count short.
bool PosixFileSystem::Write(FileHandle file, const void* data, uint32_t size, uint32_t* count) {
    DropReadAhead(file);
    *count = 0;
    const char* bytes = static_cast<const char*>(data);
    while (*count < size) {
        ssize_t put = write(file, bytes + *count, size - *count);
        if (put < 0) {
            if (errno == EINTR) continue;
            return Fail();
        }
        if (put == 0) return Fail(ENOSPC);
        *count += static_cast<uint32_t>(put);
    }
    return true;
}

bool PosixFileSystem::Truncate(FileHandle file, uint64_t size) {
    DropReadAhead(file);
    while (ftruncate(file, static_cast<off_t>(size)) != 0) {
        if (errno != EINTR) return Fail();
    }
    return true;
}

bool PosixFileSystem::Sync(FileHandle file) {
    if (fsync(file) != 0) return Fail();
    return true;
}

// The descriptor is gone whatever close says (on Linux even after EINTR), so it is
// never closed twice; its failure tells that written bytes may not have reached the disk.
bool PosixFileSystem::Close(FileHandle file) {
    DropReadAhead(file);
    if (file < 0) return true;
    if (close(file) != 0) return Fail();
    return true;
}

void PosixFileSystem::DescribeError(uint32_t error, wchar_t* out, int outChars) {
    const int code = static_cast<int>(error);
    char unknown[32];
    // The reasons the day files' own checks give, in the words of what was found.
    const char* words = code == ELOOP || code == EMLINK ? "it is a link, and day files are never written through one"
                        : code == ENXIO                 ? "it is not a regular file (a pipe, a device or a socket)"
                        : code == EWOULDBLOCK           ? "another program keeps it locked"
                                                        : ErrorWords(code, unknown);
    Utf8ToWide(words, out, outChars);
}

void PosixFileSystem::DisplayPath(const wchar_t* path, wchar_t* out, int outChars) {
    char host[kHostPathBytes];
    // A path without a host form is shown as it was given.
    if (!HostPath(path, host, sizeof host)) {
        swprintf(out, static_cast<size_t>(outChars), L"%ls", path);
        return;
    }
    Utf8ToWide(host, out, outChars);
}

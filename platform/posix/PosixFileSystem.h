#pragma once
#include <cerrno>
#include "platform/FileSystem.h"

// Files on a POSIX host. A device path ("\Kestrave\2009-03-25.plt") lives below
// the device root, a host folder; a host path ("/home/me/drive.nmea") is taken as
// it is, so that files the user names on the command line can be replayed.
class PosixFileSystem : public FileSystem {
public:
    static constexpr int kHostPathBytes = 4096;

    // rootDir is copied; it must fit kHostPathBytes.
    explicit PosixFileSystem(const char* rootDir);

    bool FolderExists(const wchar_t* path) override;
    bool ListEntries(const wchar_t* path, FolderVisitor& visitor) override;
    bool CreateFolder(const wchar_t* path) override;
    FileHandle OpenDayFile(const wchar_t* path, DayFileAccess access) override;
    FileHandle OpenExisting(const wchar_t* path) override;
    uint64_t Size(FileHandle file) override;
    uint64_t SeekFromEnd(FileHandle file, int64_t offset) override;
    bool Read(FileHandle file, void* data, uint32_t size, uint32_t* count) override;
    bool Write(FileHandle file, const void* data, uint32_t size, uint32_t* count) override;
    bool Truncate(FileHandle file, uint64_t size) override;
    bool Sync(FileHandle file) override;
    bool Close(FileHandle file) override;
    uint32_t LastError() override { return lastError_; }
    bool ReadStopped() override { return readStopped_; }
    // Tells whether the user asked the program to stop; a read that a signal
    // interrupted then gives up instead of waiting on (a silent pipe, a FIFO).
    void SetStopCheck(bool (*stopRequested)()) { stopRequested_ = stopRequested; }
    void DescribeError(uint32_t error, wchar_t* out, int outChars) override;
    void DisplayPath(const wchar_t* path, wchar_t* out, int outChars) override;

    // The host path of a device or host path; false (with ENAMETOOLONG or EINVAL as the
    // error) when it does not fit or would step out of the device root with "..".
    bool HostPath(const wchar_t* path, char* out, int outBytes);

private:
    bool Fail();
    bool Fail(int error);

    // How long a day file's open waits for another program's lock, in 10 ms steps.
    static constexpr int kLockTries = 300;
    // Why an open descriptor may not serve as a day file (0 when it may), after making
    // its writes block again and taking its lock.
    static int DayFileProblem(int fd, DayFileAccess access);

    bool ReadDirect(FileHandle file, void* data, uint32_t size, uint32_t* count);
    void DropReadAhead(FileHandle file);

    char root_[kHostPathBytes] = {};
    uint32_t lastError_ = 0;
    bool (*stopRequested_)() = nullptr;
    bool readStopped_ = false;
    // A stop cut a read short after some bytes were handed over: the next read says so
    // rather than wait again.
    bool stopPending_ = false;

    // A replay asks for 1 KiB at a time; a system call per KiB would cost as much as
    // all the work done on the bytes. So one file at a time is read 64 KiB ahead,
    // and the callers still get exactly the bytes and counts that plain reads give.
    static constexpr uint32_t kReadAheadBytes = 64 * 1024;
    FileHandle readAheadFile_ = kInvalidFile;
    uint32_t readAheadNext_ = 0;
    uint32_t readAheadEnd_ = 0;
    bool readAheadShort_ = false;
    unsigned char readAhead_[kReadAheadBytes] = {};
};

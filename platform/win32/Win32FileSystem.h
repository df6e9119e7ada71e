#pragma once
#include <windows.h>

#include "platform/FileSystem.h"

// Files on Windows. With an empty root the device paths go to Win32 unchanged, so
// "\Kestrave" is that folder on the current drive. With a host folder as root, that
// folder stands for the device root "\" (a replay's --out folder). A path that does
// not begin with a backslash ("C:\drive.nmea", "drive.nmea") is a host path and is
// taken as it is, so that files named on the command line can be replayed.
class Win32FileSystem : public FileSystem {
public:
    static constexpr int kHostPathChars = kDisplayPathChars;

    // root has no trailing backslash; it is copied and must fit kHostPathChars.
    explicit Win32FileSystem(const wchar_t* root);
    ~Win32FileSystem() override;
    Win32FileSystem(const Win32FileSystem&) = delete;
    Win32FileSystem& operator=(const Win32FileSystem&) = delete;

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
    void DescribeError(uint32_t error, wchar_t* out, int outChars) override;
    void DisplayPath(const wchar_t* path, wchar_t* out, int outChars) override;

    // The path Win32 is given for a device or host path; false when it does not fit
    // or would step out of the root with "." or "..".
    bool HostPath(const wchar_t* path, wchar_t* out, int outChars) const;

private:
    // Open files at once: a day file, the route being continued, a replayed file.
    static constexpr int kMaxFiles = 8;
    // How long a day file's open waits for another program to let go, in 10 ms steps.
    static constexpr int kShareTries = 300;

    // 0, or the error that keeps the path from being mapped.
    DWORD MapPath(const wchar_t* path, wchar_t* out, int outChars) const;
    bool Fail();
    bool Fail(DWORD error);
    // Why an open path failed: a folder answers "access denied", which would mislead.
    void FailOpen(const wchar_t* host);
    HANDLE HandleOf(FileHandle file);
    // A slot for the handle, or kInvalidFile (the handle closed) when all are taken.
    FileHandle Keep(HANDLE handle, bool append);
    static DWORD DayFileProblem(HANDLE handle);

    wchar_t root_[kHostPathChars] = {};
    HANDLE handles_[kMaxFiles];
    bool append_[kMaxFiles] = {};
    uint32_t lastError_ = 0;
};

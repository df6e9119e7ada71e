#pragma once
#include <cstdint>

// Files and folders as the core needs them. Paths are device paths: wide text,
// backslash-separated, rooted at "\". Every operation that can fail records the
// system's error code, which LastError() returns until the next failure.
using FileHandle = int32_t;
constexpr FileHandle kInvalidFile = -1;
// Sizes and positions are 64-bit: a day file may outgrow 4 GiB.
constexpr uint64_t kInvalidSize = UINT64_MAX;
// Wide characters of a path as a message shows it, terminator included.
constexpr int kDisplayPathChars = 4096;

// Hears the name of each entry a listing finds, in no particular order.
class FolderVisitor {
public:
    virtual ~FolderVisitor() = default;
    virtual void OnEntry(const wchar_t* name, bool isFolder) = 0;
};

// What a day file is opened for.
enum class DayFileAccess {
    Read,    // an existing file, shared with other readers
    Append,  // created when missing; every write lands at its end
    Update,  // created when missing; a write lands where SeekFromEnd left the position
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True when the path names an existing folder (a plain file of that name is not one).
    virtual bool FolderExists(const wchar_t* path) = 0;
    // Tells the visitor the sub-folders and plain files of a folder (the empty path is
    // the root), "." and ".." left out. False when the folder cannot be listed.
    virtual bool ListEntries(const wchar_t* path, FolderVisitor& visitor) = 0;
    // Creates the last component of the path only.
    virtual bool CreateFolder(const wchar_t* path) = 0;
    // Opens one of the recorder's own files: only a plain file with no other name,
    // never through a link, and without waiting on a pipe or a device that bears its
    // name. The file stays locked until Close (exclusively for writing), so that two
    // recorders on one folder take turns; a lock held too long by another fails.
    virtual FileHandle OpenDayFile(const wchar_t* path, DayFileAccess access) = 0;
    // Opens an existing file for reading; fails when it does not exist.
    virtual FileHandle OpenExisting(const wchar_t* path) = 0;
    // Size in bytes, or kInvalidSize when it cannot be told.
    virtual uint64_t Size(FileHandle file) = 0;
    // Moves relative to the end of the file; returns the new position or kInvalidSize.
    virtual uint64_t SeekFromEnd(FileHandle file, int64_t offset) = 0;
    // Reads up to size bytes; *count says how many came. False on failure.
    [[nodiscard]] virtual bool Read(FileHandle file, void* data, uint32_t size, uint32_t* count) = 0;
    // After a Read that returned false: it was a wait on a pipe or a terminal that a
    // request to stop cut short, and nothing is wrong with the file.
    virtual bool ReadStopped() { return false; }
    // Writes size bytes; *count says how many went out, also when it fails part-way.
    [[nodiscard]] virtual bool Write(FileHandle file, const void* data, uint32_t size, uint32_t* count) = 0;
    // Cuts the file back to size bytes.
    [[nodiscard]] virtual bool Truncate(FileHandle file, uint64_t size) = 0;
    // Returns once what was written to the file is on the disk.
    [[nodiscard]] virtual bool Sync(FileHandle file) = 0;
    // Releases the file, also when it fails: a failure means written bytes may be lost.
    [[nodiscard]] virtual bool Close(FileHandle file) = 0;
    // The system error code of the last failed operation.
    virtual uint32_t LastError() = 0;
    // An error code in words, for messages ("Permission denied").
    virtual void DescribeError(uint32_t error, wchar_t* out, int outChars) = 0;
    // A path as the user finds it (a host path), for messages.
    virtual void DisplayPath(const wchar_t* path, wchar_t* out, int outChars) = 0;
};

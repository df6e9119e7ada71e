#pragma once
#include <cstdint>

// Files and folders as the core needs them. Paths are device paths: wide text,
// backslash-separated, rooted at "\". Every operation that can fail records the
// system's error code, which LastError() returns until the next failure.
using FileHandle = int32_t;
constexpr FileHandle kInvalidFile = -1;
constexpr uint32_t kInvalidSize = 0xFFFFFFFFu;

// Hears the name of each entry a listing finds, in no particular order.
class FolderVisitor {
public:
    virtual ~FolderVisitor() = default;
    virtual void OnEntry(const wchar_t* name, bool isFolder) = 0;
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
    // Opens an existing file or creates an empty one, for reading and writing.
    virtual FileHandle OpenAlways(const wchar_t* path) = 0;
    // Opens an existing file for reading; fails when it does not exist.
    virtual FileHandle OpenExisting(const wchar_t* path) = 0;
    // Size in bytes, or kInvalidSize when it cannot be told.
    virtual uint32_t Size(FileHandle file) = 0;
    // Moves relative to the end of the file; returns the new position or kInvalidSize.
    virtual uint32_t SeekFromEnd(FileHandle file, int32_t offset) = 0;
    // Reads up to size bytes; *count says how many came. False on failure.
    virtual bool Read(FileHandle file, void* data, uint32_t size, uint32_t* count) = 0;
    // Writes size bytes; *count says how many went out, so a short write is not a failure here.
    virtual bool Write(FileHandle file, const void* data, uint32_t size, uint32_t* count) = 0;
    virtual void Close(FileHandle file) = 0;
    // The system error code of the last failed operation.
    virtual uint32_t LastError() = 0;
};

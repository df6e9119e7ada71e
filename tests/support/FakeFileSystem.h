#pragma once
#include <map>
#include <set>
#include <string>
#include "platform/FileSystem.h"

// Files and folders in memory, with faults on command. The root "\" always exists, and
// so does "/", the root of host paths ("/home/me/drive.nmea").
// Error codes follow the handheld's: 2 file not found, 3 path not found, 5 access
// denied, 131 negative seek, 183 already exists.
class FakeFileSystem : public FileSystem {
public:
    enum class Op { CreateFolder, Open, Size, Seek, Read, Write, Truncate, Sync, Close };

    // The next operation of this kind, after `skip` that succeed, fails with `error`.
    void FailNext(Op op, uint32_t error = 29, int skip = 0);
    // The next Write, after `skip` that succeed, writes only `bytes`; then it reports
    // success, or with an error (a full disk) fails with it.
    void ShortWrite(uint32_t bytes, int skip = 0, uint32_t error = 0);

    void AddFolder(const std::wstring& path);
    void AddFile(const std::wstring& path, const std::string& bytes);
    // A file of `unstored` zero bytes, which are not kept in memory, followed by `bytes`:
    // a file of many gigabytes. Contents() gives the stored bytes behind the zeros.
    void AddLargeFile(const std::wstring& path, uint64_t unstored, const std::string& bytes);
    bool HasFolder(const std::wstring& path) const;
    bool HasFile(const std::wstring& path) const;
    // The bytes of a file; empty when it does not exist.
    std::string Contents(const std::wstring& path) const;
    // Every file by path, for checks over all that was written.
    const std::map<std::wstring, std::string>& Files() const { return files_; }
    int OpenCount() const { return static_cast<int>(handles_.size()); }
    // Operations that reached the fake (including failed ones), by kind.
    int Calls(Op op) const;

    // A Read delivers at most this many bytes; 0 makes every read come back empty.
    static constexpr uint32_t kNoReadLimit = 0xFFFFFFFFu;
    uint32_t readLimit = kNoReadLimit;

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
    // "error 5": the fake's codes have no words of their own.
    void DescribeError(uint32_t error, wchar_t* out, int outChars) override;
    // "host:" and the device path.
    void DisplayPath(const wchar_t* path, wchar_t* out, int outChars) override;

private:
    struct Fault {
        bool armed = false;
        int skip = 0;
        uint32_t error = 0;
    };
    struct OpenFile {
        std::wstring path;
        uint64_t position = 0;
        bool writable = false;
        bool appends = false;
    };

    // Counts the call; true (with the error recorded) when a fault is due.
    bool Trips(Op op);
    bool Fail(uint32_t error);
    static size_t LastSeparator(const std::wstring& path);
    // The folder that holds path ("\\" or "/" for a top entry); empty when there is none.
    static std::wstring Parent(const std::wstring& path);
    bool ParentExists(const std::wstring& path) const;
    FileHandle Open(const std::wstring& path, bool writable, bool appends);
    OpenFile* Find(FileHandle file);
    uint64_t Unstored(const std::wstring& path) const;

    std::map<std::wstring, std::string> files_;
    std::map<std::wstring, uint64_t> unstored_;
    std::set<std::wstring> folders_;
    std::map<FileHandle, OpenFile> handles_;
    std::map<Op, Fault> faults_;
    std::map<Op, int> calls_;
    Fault shortWrite_;
    uint32_t shortWriteBytes_ = 0;
    FileHandle nextHandle_ = 1;
    uint32_t lastError_ = 0;
};

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
    enum class Op { CreateFolder, Open, Size, Seek, Read, Write };

    // The next operation of this kind, after `skip` that succeed, fails with `error`.
    void FailNext(Op op, uint32_t error = 29, int skip = 0);
    // The next Write, after `skip` that succeed, writes only `bytes` and reports success.
    void ShortWrite(uint32_t bytes, int skip = 0);

    void AddFolder(const std::wstring& path);
    void AddFile(const std::wstring& path, const std::string& bytes);
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
    FileHandle OpenAlways(const wchar_t* path) override;
    FileHandle OpenExisting(const wchar_t* path) override;
    uint32_t Size(FileHandle file) override;
    uint32_t SeekFromEnd(FileHandle file, int32_t offset) override;
    bool Read(FileHandle file, void* data, uint32_t size, uint32_t* count) override;
    bool Write(FileHandle file, const void* data, uint32_t size, uint32_t* count) override;
    void Close(FileHandle file) override;
    uint32_t LastError() override { return lastError_; }

private:
    struct Fault {
        bool armed = false;
        int skip = 0;
        uint32_t error = 0;
    };
    struct OpenFile {
        std::wstring path;
        uint32_t position = 0;
        bool writable = false;
    };

    // Counts the call; true (with the error recorded) when a fault is due.
    bool Trips(Op op);
    bool Fail(uint32_t error);
    static size_t LastSeparator(const std::wstring& path);
    // The folder that holds path ("\\" or "/" for a top entry); empty when there is none.
    static std::wstring Parent(const std::wstring& path);
    bool ParentExists(const std::wstring& path) const;
    FileHandle Open(const std::wstring& path, bool writable);
    OpenFile* Find(FileHandle file);

    std::map<std::wstring, std::string> files_;
    std::set<std::wstring> folders_;
    std::map<FileHandle, OpenFile> handles_;
    std::map<Op, Fault> faults_;
    std::map<Op, int> calls_;
    Fault shortWrite_;
    uint32_t shortWriteBytes_ = 0;
    FileHandle nextHandle_ = 1;
    uint32_t lastError_ = 0;
};

#include "tests/support/FakeFileSystem.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {
// The Win32 error codes the handheld's file calls give.
enum ErrorCode : uint32_t {
    kNoError = 0, kFileNotFound = 2, kPathNotFound = 3, kAccessDenied = 5, kInvalidHandle = 6, kNegativeSeek = 131,
    kAlreadyExists = 183,
};
}  // namespace

void FakeFileSystem::FailNext(Op op, uint32_t error, int skip) { faults_[op] = Fault{true, skip, error}; }

void FakeFileSystem::ShortWrite(uint32_t bytes, int skip, uint32_t error) {
    shortWrite_ = Fault{true, skip, error};
    shortWriteBytes_ = bytes;
}

void FakeFileSystem::AddFolder(const std::wstring& path) { folders_.insert(path); }

void FakeFileSystem::AddFile(const std::wstring& path, const std::string& bytes) { files_[path] = bytes; }

void FakeFileSystem::AddLargeFile(const std::wstring& path, uint64_t unstored, const std::string& bytes) {
    files_[path] = bytes;
    unstored_[path] = unstored;
}

uint64_t FakeFileSystem::Unstored(const std::wstring& path) const {
    auto it = unstored_.find(path);
    return it == unstored_.end() ? 0 : it->second;
}

bool FakeFileSystem::HasFolder(const std::wstring& path) const {
    return path == L"\\" || path == L"/" || folders_.count(path) > 0;
}

bool FakeFileSystem::HasFile(const std::wstring& path) const { return files_.count(path) > 0; }

std::string FakeFileSystem::Contents(const std::wstring& path) const {
    auto it = files_.find(path);
    return it == files_.end() ? std::string() : it->second;
}

int FakeFileSystem::Calls(Op op) const {
    auto it = calls_.find(op);
    return it == calls_.end() ? 0 : it->second;
}

bool FakeFileSystem::FolderExists(const wchar_t* path) { return HasFolder(path); }

bool FakeFileSystem::CreateFolder(const wchar_t* name) {
    if (Trips(Op::CreateFolder)) return false;
    // A trailing backslash names the folder itself, as on the handheld.
    std::wstring path = name;
    while (path.size() > 1 && path.back() == L'\\') path.pop_back();
    if (HasFolder(path) || HasFile(path)) return Fail(kAlreadyExists);
    if (!ParentExists(path)) return Fail(kPathNotFound);
    folders_.insert(path);
    return true;
}

FileHandle FakeFileSystem::OpenDayFile(const wchar_t* path, DayFileAccess access) {
    const bool write = access != DayFileAccess::Read;
    return Open(path, write, access == DayFileAccess::Append);
}

FileHandle FakeFileSystem::OpenExisting(const wchar_t* path) { return Open(path, false, false); }

uint64_t FakeFileSystem::Size(FileHandle file) {
    if (Trips(Op::Size)) return kInvalidSize;
    OpenFile* open = Find(file);
    if (open == nullptr) {
        Fail(kInvalidHandle);
        return kInvalidSize;
    }
    return Unstored(open->path) + files_[open->path].size();
}

uint64_t FakeFileSystem::SeekFromEnd(FileHandle file, int64_t offset) {
    if (Trips(Op::Seek)) return kInvalidSize;
    OpenFile* open = Find(file);
    if (open == nullptr) {
        Fail(kInvalidHandle);
        return kInvalidSize;
    }
    const uint64_t size = Unstored(open->path) + files_[open->path].size();
    if (offset < 0 && static_cast<uint64_t>(-offset) > size) {
        Fail(kNegativeSeek);
        return kInvalidSize;
    }
    open->position = size + static_cast<uint64_t>(offset);
    return open->position;
}

bool FakeFileSystem::Read(FileHandle file, void* data, uint32_t size, uint32_t* count) {
    *count = 0;
    if (Trips(Op::Read)) return false;
    OpenFile* open = Find(file);
    if (open == nullptr) return Fail(kInvalidHandle);
    const std::string& bytes = files_[open->path];
    const uint64_t unstored = Unstored(open->path);
    const uint64_t end = unstored + bytes.size();
    const uint64_t available = open->position < end ? end - open->position : 0;
    *count = static_cast<uint32_t>(std::min<uint64_t>({size, available, readLimit}));
    char* out = static_cast<char*>(data);
    for (uint32_t i = 0; i < *count; ++i, ++open->position) {
        out[i] = open->position < unstored ? '\0' : bytes[open->position - unstored];
    }
    return true;
}

bool FakeFileSystem::Write(FileHandle file, const void* data, uint32_t size, uint32_t* count) {
    *count = 0;
    if (Trips(Op::Write)) return false;
    OpenFile* open = Find(file);
    if (open == nullptr) return Fail(kInvalidHandle);
    if (!open->writable) return Fail(kAccessDenied);
    uint32_t length = size;
    uint32_t error = 0;
    if (shortWrite_.armed && shortWrite_.skip-- == 0) {
        shortWrite_.armed = false;
        length = std::min(size, shortWriteBytes_);
        error = shortWrite_.error;
    }
    std::string& bytes = files_[open->path];
    const uint64_t unstored = Unstored(open->path);
    if (open->appends) open->position = unstored + bytes.size();
    if (open->position < unstored) return Fail(kAccessDenied);  // the unstored zeros stay as they are
    const size_t at = static_cast<size_t>(open->position - unstored);
    if (bytes.size() < at + length) bytes.resize(at + length);
    bytes.replace(at, length, static_cast<const char*>(data), length);
    open->position += length;
    *count = length;
    return error == 0 || Fail(error);
}

bool FakeFileSystem::Truncate(FileHandle file, uint64_t size) {
    if (Trips(Op::Truncate)) return false;
    OpenFile* open = Find(file);
    if (open == nullptr) return Fail(kInvalidHandle);
    if (!open->writable) return Fail(kAccessDenied);
    const uint64_t unstored = Unstored(open->path);
    if (size < unstored) return Fail(kAccessDenied);
    files_[open->path].resize(static_cast<size_t>(size - unstored));
    return true;
}

bool FakeFileSystem::Sync(FileHandle file) {
    if (Trips(Op::Sync)) return false;
    return Find(file) != nullptr || Fail(kInvalidHandle);
}

// The handle is released whatever the outcome, as a real close releases it.
bool FakeFileSystem::Close(FileHandle file) {
    handles_.erase(file);
    return !Trips(Op::Close);
}

void FakeFileSystem::DescribeError(uint32_t error, wchar_t* out, int outChars) {
    swprintf(out, static_cast<size_t>(outChars), L"error %u", error);
}

void FakeFileSystem::DisplayPath(const wchar_t* path, wchar_t* out, int outChars) {
    swprintf(out, static_cast<size_t>(outChars), L"host:%ls", path);
}

bool FakeFileSystem::Trips(Op op) {
    ++calls_[op];
    auto it = faults_.find(op);
    if (it == faults_.end() || !it->second.armed || it->second.skip-- > 0) return false;
    it->second.armed = false;
    Fail(it->second.error);
    return true;
}

bool FakeFileSystem::Fail(uint32_t error) {
    lastError_ = error;
    return false;
}

// A host path parts at slashes, a device path at backslashes.
size_t FakeFileSystem::LastSeparator(const std::wstring& path) {
    return path.find_last_of(!path.empty() && path[0] == L'/' ? L'/' : L'\\');
}

std::wstring FakeFileSystem::Parent(const std::wstring& path) {
    const size_t cut = LastSeparator(path);
    if (cut == std::wstring::npos) return std::wstring();
    return path.substr(0, cut == 0 ? 1 : cut);
}

bool FakeFileSystem::ParentExists(const std::wstring& path) const {
    const std::wstring parent = Parent(path);
    return !parent.empty() && HasFolder(parent);
}

FileHandle FakeFileSystem::Open(const std::wstring& path, bool writable, bool appends) {
    if (Trips(Op::Open)) return kInvalidFile;
    const uint32_t error = HasFolder(path)        ? kAccessDenied
                           : HasFile(path)          ? kNoError
                           : !writable              ? kFileNotFound
                           : !ParentExists(path)    ? kPathNotFound
                                                    : kNoError;
    if (error != kNoError) {
        Fail(error);
        return kInvalidFile;
    }
    files_[path];  // creates an empty file when there is none
    const FileHandle handle = nextHandle_++;
    handles_[handle] = OpenFile{path, 0, writable, appends};
    return handle;
}

FakeFileSystem::OpenFile* FakeFileSystem::Find(FileHandle file) {
    auto it = handles_.find(file);
    return it == handles_.end() ? nullptr : &it->second;
}

bool FakeFileSystem::ListEntries(const wchar_t* path, FolderVisitor& visitor) {
    const std::wstring folder = path[0] == L'\0' ? L"\\" : path;
    if (!HasFolder(folder)) return Fail(kPathNotFound);
    const auto tell = [&](const std::wstring& entry, bool isFolder) {
        if (entry != folder && Parent(entry) == folder) visitor.OnEntry(entry.c_str() + LastSeparator(entry) + 1, isFolder);
    };
    for (const std::wstring& entry : folders_) tell(entry, true);
    for (const auto& entry : files_) tell(entry.first, false);
    return true;
}

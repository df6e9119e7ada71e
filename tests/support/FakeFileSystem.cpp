#include "tests/support/FakeFileSystem.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kInvalidHandle = 6;
constexpr uint32_t kNegativeSeek = 131;
constexpr uint32_t kAlreadyExists = 183;
}  // namespace

void FakeFileSystem::FailNext(Op op, uint32_t error, int skip) { faults_[op] = Fault{true, skip, error}; }

void FakeFileSystem::ShortWrite(uint32_t bytes, int skip) {
    shortWrite_ = Fault{true, skip, 0};
    shortWriteBytes_ = bytes;
}

void FakeFileSystem::AddFolder(const std::wstring& path) { folders_.insert(path); }

void FakeFileSystem::AddFile(const std::wstring& path, const std::string& bytes) { files_[path] = bytes; }

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

FileHandle FakeFileSystem::OpenAlways(const wchar_t* path) { return Open(path, true); }

FileHandle FakeFileSystem::OpenExisting(const wchar_t* path) { return Open(path, false); }

uint32_t FakeFileSystem::Size(FileHandle file) {
    if (Trips(Op::Size)) return kInvalidSize;
    OpenFile* open = Find(file);
    if (open == nullptr) {
        Fail(kInvalidHandle);
        return kInvalidSize;
    }
    return static_cast<uint32_t>(files_[open->path].size());
}

uint32_t FakeFileSystem::SeekFromEnd(FileHandle file, int32_t offset) {
    if (Trips(Op::Seek)) return kInvalidSize;
    OpenFile* open = Find(file);
    const int64_t position = open == nullptr ? -1 : static_cast<int64_t>(files_[open->path].size()) + offset;
    if (position < 0) {
        Fail(open == nullptr ? kInvalidHandle : kNegativeSeek);
        return kInvalidSize;
    }
    open->position = static_cast<uint32_t>(position);
    return open->position;
}

bool FakeFileSystem::Read(FileHandle file, void* data, uint32_t size, uint32_t* count) {
    *count = 0;
    if (Trips(Op::Read)) return false;
    OpenFile* open = Find(file);
    if (open == nullptr) return Fail(kInvalidHandle);
    const std::string& bytes = files_[open->path];
    uint32_t available = open->position < bytes.size() ? static_cast<uint32_t>(bytes.size()) - open->position : 0;
    *count = std::min({size, available, readLimit});
    if (*count > 0) memcpy(data, bytes.data() + open->position, *count);
    open->position += *count;
    return true;
}

bool FakeFileSystem::Write(FileHandle file, const void* data, uint32_t size, uint32_t* count) {
    *count = 0;
    if (Trips(Op::Write)) return false;
    OpenFile* open = Find(file);
    if (open == nullptr) return Fail(kInvalidHandle);
    if (!open->writable) return Fail(kAccessDenied);
    uint32_t length = size;
    if (shortWrite_.armed && shortWrite_.skip-- == 0) {
        shortWrite_.armed = false;
        length = std::min(size, shortWriteBytes_);
    }
    std::string& bytes = files_[open->path];
    if (bytes.size() < open->position + length) bytes.resize(open->position + length);
    bytes.replace(open->position, length, static_cast<const char*>(data), length);
    open->position += length;
    *count = length;
    return true;
}

void FakeFileSystem::Close(FileHandle file) { handles_.erase(file); }

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

FileHandle FakeFileSystem::Open(const std::wstring& path, bool writable) {
    if (Trips(Op::Open)) return kInvalidFile;
    const uint32_t error = HasFolder(path)        ? kAccessDenied
                           : HasFile(path)          ? 0
                           : !writable              ? kFileNotFound
                           : !ParentExists(path)    ? kPathNotFound
                                                    : 0;
    if (error != 0) {
        Fail(error);
        return kInvalidFile;
    }
    files_[path];  // creates an empty file when there is none
    const FileHandle handle = nextHandle_++;
    handles_[handle] = OpenFile{path, 0, writable};
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

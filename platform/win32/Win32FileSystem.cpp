#include "platform/win32/Win32FileSystem.h"

#include <algorithm>
#include <cwchar>

#include "platform/WideChars.h"
#include "platform/win32/Win32ErrorText.h"

namespace {

// The reasons of the day files' own checks; each names what was found.
constexpr DWORD kIsLink = ERROR_CANT_RESOLVE_FILENAME;
constexpr DWORD kHasSecondName = ERROR_TOO_MANY_LINKS;
constexpr DWORD kIsFolder = ERROR_DIRECTORY;
constexpr DWORD kNotPlainFile = ERROR_BAD_FILE_TYPE;

// Copies the units from begin to end as they are; false when they do not fit.
bool PutUnits(const wchar_t* begin, const wchar_t* end, wchar_t* out, int outChars, int* used) {
    for (const wchar_t* p = begin; p < end; ++p) {
        if (!PutWideCodePoint(*p, out, outChars, used)) return false;
    }
    return true;
}

}  // namespace

Win32FileSystem::Win32FileSystem(const wchar_t* root) {
    swprintf(root_, kHostPathChars, L"%ls", root);
    for (HANDLE& handle : handles_) handle = INVALID_HANDLE_VALUE;
}

Win32FileSystem::~Win32FileSystem() {
    for (HANDLE handle : handles_) {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
}

bool Win32FileSystem::Fail() { return Fail(GetLastError()); }

bool Win32FileSystem::Fail(DWORD error) {
    lastError_ = error;
    return false;
}

bool Win32FileSystem::HostPath(const wchar_t* path, wchar_t* out, int outChars) const {
    return MapPath(path, out, outChars) == 0;
}

DWORD Win32FileSystem::MapPath(const wchar_t* path, wchar_t* out, int outChars) const {
    int used = 0;
    if (outChars > 0) out[0] = L'\0';
    // Without a root, and for host paths, Win32 reads the path itself.
    if (root_[0] == L'\0' || path[0] != L'\\') {
        if (!PutUnits(path, path + wcslen(path), out, outChars, &used)) return ERROR_FILENAME_EXCED_RANGE;
        out[used] = L'\0';
        return 0;
    }
    if (!PutUnits(root_, root_ + wcslen(root_), out, outChars, &used)) return ERROR_FILENAME_EXCED_RANGE;
    // Component by component, so that "." and ".." cannot climb out of the root (Win32
    // would resolve them) and doubled backslashes do not make empty components.
    const wchar_t* p = path;
    bool any = false;
    while (*p != L'\0') {
        while (*p == L'\\') ++p;
        if (*p == L'\0') break;
        const wchar_t* end = p;
        while (*end != L'\0' && *end != L'\\') ++end;
        const long length = static_cast<long>(end - p);
        if ((length == 1 && p[0] == L'.') || (length == 2 && p[0] == L'.' && p[1] == L'.')) return ERROR_BAD_PATHNAME;
        if (!PutWideCodePoint(L'\\', out, outChars, &used)) return ERROR_FILENAME_EXCED_RANGE;
        // A slash is a separator to Win32, so "a/../.." would climb as well. The units
        // before it are copied first, so that an overlong path is told as such.
        const wchar_t* slash = std::find(p, end, L'/');
        if (!PutUnits(p, slash, out, outChars, &used)) return ERROR_FILENAME_EXCED_RANGE;
        if (slash != end) return ERROR_BAD_PATHNAME;
        p = end;
        any = true;
    }
    // The device root is the root folder itself; a bare drive takes a backslash behind,
    // since "C:" alone is the current folder of drive C.
    if (!any && used > 0 && out[used - 1] == L':' && !PutWideCodePoint(L'\\', out, outChars, &used)) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    out[used] = L'\0';
    return 0;
}

bool Win32FileSystem::FolderExists(const wchar_t* path) {
    wchar_t host[kHostPathChars];
    const DWORD problem = MapPath(path, host, kHostPathChars);
    if (problem != 0) return Fail(problem);
    const DWORD attributes = GetFileAttributesW(host);
    if (attributes == INVALID_FILE_ATTRIBUTES) return Fail();
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::ListEntries(const wchar_t* path, FolderVisitor& visitor) {
    wchar_t pattern[kHostPathChars];
    const DWORD problem = MapPath(path[0] == L'\0' ? L"\\" : path, pattern, kHostPathChars);
    if (problem != 0) return Fail(problem);
    size_t length = wcslen(pattern);
    const bool separated = length > 0 && (pattern[length - 1] == L'\\' || pattern[length - 1] == L'/');
    if (length + 3 > static_cast<size_t>(kHostPathChars)) return Fail(ERROR_FILENAME_EXCED_RANGE);
    if (!separated) pattern[length++] = L'\\';
    pattern[length++] = L'*';
    pattern[length] = L'\0';
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) {
        // A drive's root has no "." entry, so an empty one finds nothing at all.
        if (GetLastError() == ERROR_FILE_NOT_FOUND) {
            pattern[length - 1] = L'\0';
            const DWORD attributes = GetFileAttributesW(pattern);
            return (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) ||
                   Fail(ERROR_PATH_NOT_FOUND);
        }
        return Fail();
    }
    do {
        const wchar_t* name = entry.cFileName;
        if (wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0) continue;
        visitor.OnEntry(name, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(search, &entry));
    const DWORD error = GetLastError();
    FindClose(search);
    return error == ERROR_NO_MORE_FILES || Fail(error);
}

bool Win32FileSystem::CreateFolder(const wchar_t* path) {
    wchar_t host[kHostPathChars];
    const DWORD problem = MapPath(path, host, kHostPathChars);
    if (problem != 0) return Fail(problem);
    return CreateDirectoryW(host, nullptr) || Fail();
}

void Win32FileSystem::FailOpen(const wchar_t* host) {
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(host);
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    Fail(error == ERROR_ACCESS_DENIED && folder ? kIsFolder : error);
}

HANDLE Win32FileSystem::HandleOf(FileHandle file) {
    return file >= 0 && file < kMaxFiles ? handles_[file] : INVALID_HANDLE_VALUE;
}

FileHandle Win32FileSystem::Keep(HANDLE handle, bool append) {
    for (FileHandle slot = 0; slot < kMaxFiles; ++slot) {
        if (handles_[slot] == INVALID_HANDLE_VALUE) {
            handles_[slot] = handle;
            append_[slot] = append;
            return slot;
        }
    }
    CloseHandle(handle);
    Fail(ERROR_TOO_MANY_OPEN_FILES);
    return kInvalidFile;
}

FileHandle Win32FileSystem::OpenDayFile(const wchar_t* path, DayFileAccess access) {
    wchar_t host[kHostPathChars];
    const DWORD problem = MapPath(path, host, kHostPathChars);
    if (problem != 0) {
        Fail(problem);
        return kInvalidFile;
    }
    const bool append = access == DayFileAccess::Append;
    const bool write = access != DayFileAccess::Read;
    // The share mode is the lock: an appender lets others read but not write, so two
    // recorders on one folder take turns, and a reader keeps appenders out until it is
    // done. The one holding it does so for one flush; an open that still finds it held
    // after the wait fails rather than hang the recorder.
    // FILE_FLAG_OPEN_REPARSE_POINT: a symbolic link or junction opens as itself, which
    // the check below refuses, instead of leading elsewhere.
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int tries = 1;; ++tries) {
        handle = CreateFileW(host, write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, nullptr,
                             write ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                             nullptr);
        if (handle != INVALID_HANDLE_VALUE) break;
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) || tries == kShareTries) {
            SetLastError(error);
            FailOpen(host);
            return kInvalidFile;
        }
        Sleep(10);
    }
    const DWORD refused = DayFileProblem(handle);
    if (refused != 0) {
        CloseHandle(handle);
        Fail(refused);
        return kInvalidFile;
    }
    return Keep(handle, append);
}

DWORD Win32FileSystem::DayFileProblem(HANDLE handle) {
    // A device or a pipe of that name is no file to keep lines in.
    if (GetFileType(handle) != FILE_TYPE_DISK) return kNotPlainFile;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) return GetLastError();
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return kIsLink;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return kIsFolder;
    // A second name would carry the day's lines into a file that is not the day's alone.
    if (info.nNumberOfLinks > 1) return kHasSecondName;
    return 0;
}

// Shared for writing too: a file another program is still writing can be replayed.
FileHandle Win32FileSystem::OpenExisting(const wchar_t* path) {
    wchar_t host[kHostPathChars];
    const DWORD problem = MapPath(path, host, kHostPathChars);
    if (problem != 0) {
        Fail(problem);
        return kInvalidFile;
    }
    HANDLE handle = CreateFileW(host, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        FailOpen(host);
        return kInvalidFile;
    }
    return Keep(handle, false);
}

uint64_t Win32FileSystem::Size(FileHandle file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(HandleOf(file), &size)) {
        Fail();
        return kInvalidSize;
    }
    return static_cast<uint64_t>(size.QuadPart);
}

uint64_t Win32FileSystem::SeekFromEnd(FileHandle file, int64_t offset) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(HandleOf(file), distance, &position, FILE_END)) {
        Fail();
        return kInvalidSize;
    }
    return static_cast<uint64_t>(position.QuadPart);
}

bool Win32FileSystem::Read(FileHandle file, void* data, uint32_t size, uint32_t* count) {
    *count = 0;
    DWORD got = 0;
    if (!ReadFile(HandleOf(file), data, size, &got, nullptr)) return Fail();
    *count = got;
    return true;
}

// Keeps writing until all bytes are out, so only a real failure or a full disk
// leaves the count short.
bool Win32FileSystem::Write(FileHandle file, const void* data, uint32_t size, uint32_t* count) {
    *count = 0;
    HANDLE handle = HandleOf(file);
    // No other writer shares the file, so the end found here stays the end.
    LARGE_INTEGER zero{};
    if (file >= 0 && file < kMaxFiles && append_[file] && !SetFilePointerEx(handle, zero, nullptr, FILE_END)) {
        return Fail();
    }
    const char* bytes = static_cast<const char*>(data);
    while (*count < size) {
        DWORD put = 0;
        if (!WriteFile(handle, bytes + *count, size - *count, &put, nullptr)) return Fail();
        if (put == 0) return Fail(ERROR_DISK_FULL);
        *count += put;
    }
    return true;
}

// Like ftruncate, the cut leaves the file position where it was.
bool Win32FileSystem::Truncate(FileHandle file, uint64_t size) {
    HANDLE handle = HandleOf(file);
    LARGE_INTEGER zero{};
    LARGE_INTEGER position;
    if (!SetFilePointerEx(handle, zero, &position, FILE_CURRENT)) return Fail();
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) || !SetEndOfFile(handle)) {
        const DWORD error = GetLastError();
        SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
        return Fail(error);
    }
    return SetFilePointerEx(handle, position, nullptr, FILE_BEGIN) || Fail();
}

bool Win32FileSystem::Sync(FileHandle file) { return FlushFileBuffers(HandleOf(file)) || Fail(); }

// The slot is free whatever CloseHandle says; its failure tells that written bytes
// may not have reached the disk.
bool Win32FileSystem::Close(FileHandle file) {
    HANDLE handle = HandleOf(file);
    if (handle == INVALID_HANDLE_VALUE) return true;
    handles_[file] = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) || Fail();
}

void Win32FileSystem::DescribeError(uint32_t error, wchar_t* out, int outChars) {
    const wchar_t* words = error == kIsLink || error == kHasSecondName
                               ? L"it is a link, and day files are never written through one"
                           : error == kIsFolder     ? L"it is a folder, not a file"
                           : error == kNotPlainFile ? L"it is not a regular file (a pipe or a device)"
                                                    : nullptr;
    if (words != nullptr) {
        swprintf(out, static_cast<size_t>(outChars), L"%ls", words);
    } else {
        SystemErrorText(error, out, outChars);
    }
}

void Win32FileSystem::DisplayPath(const wchar_t* path, wchar_t* out, int outChars) {
    // A path without a host form is shown as it was given.
    if (MapPath(path, out, outChars) != 0) swprintf(out, static_cast<size_t>(outChars), L"%ls", path);
}

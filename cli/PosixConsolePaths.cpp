#include "cli/PosixConsolePaths.h"

#include <cerrno>
#include <cstring>

#include "platform/posix/services/HostPaths.h"
#include "shell/WideStrings.h"

ConsolePaths::Input PosixConsolePaths::CheckInput(const std::string& path, std::string* reason) {
    const int problem = CheckReadableFile(path);
    if (problem == 0) return Input::Readable;
    if (problem == EISDIR) return Input::Folder;
    *reason = strerror(problem);
    return Input::Unreadable;
}

bool PosixConsolePaths::IsNonFolder(const std::string& path) { return IsHostFile(path); }

bool PosixConsolePaths::MakeFolder(const std::string& path, std::string* reason) {
    const int problem = MakeHostFolder(path);
    if (problem != 0) *reason = strerror(problem);
    return problem == 0;
}

std::wstring PosixConsolePaths::FullPath(const std::string& path) { return ToWide(AbsoluteHostPath(path)); }

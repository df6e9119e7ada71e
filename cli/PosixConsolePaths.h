#pragma once
#include "console/ConsoleHost.h"

// Paths on this POSIX host: errno's words for reasons, links followed.
class PosixConsolePaths : public ConsolePaths {
public:
    Input CheckInput(const std::string& path, std::string* reason) override;
    bool IsNonFolder(const std::string& path) override;
    bool MakeFolder(const std::string& path, std::string* reason) override;
    std::wstring FullPath(const std::string& path) override;
    FILE* OpenForAppend(const std::string& path) override { return fopen(path.c_str(), "ab"); }
};

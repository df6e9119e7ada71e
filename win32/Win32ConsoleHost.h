#pragma once
#include <string>
#include "console/ConsoleHost.h"

// Paths on Windows: wide names from the UTF-8 command line, the system's words for
// reasons.
class Win32ConsolePaths : public ConsolePaths {
public:
    Input CheckInput(const std::string& path, std::string* reason) override;
    bool IsNonFolder(const std::string& path) override;
    bool MakeFolder(const std::string& path, std::string* reason) override;
    std::wstring FullPath(const std::string& path) override;
    // The path is UTF-8; the C library's fopen would read it in the ANSI code page.
    FILE* OpenForAppend(const std::string& path) override;
};

// kestrave.exe's side of a console session: Win32Application, Ctrl+C from the
// console, and no folder lock (the replay is the only console command here).
class Win32ConsoleHost : public ConsoleHost {
public:
    ConsolePaths& Paths() override { return paths_; }
    void CatchStopSignals() override;
    bool StopRequested() override;
    int StopSignal() override;
    bool ShowsProgress() override { return false; }
    bool Start(const CommandLine& line, Clock& clock, std::string& error) override;
    Application& App() override { return *app_; }
    std::string OutputFolder() override;
    bool LockOutputFolder(const SessionFace&) override { return true; }

private:
    Win32ConsolePaths paths_;
    Application* app_ = nullptr;
};

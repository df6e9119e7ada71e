#include "win32/Win32ConsoleHost.h"

#include <windows.h>

#include <vector>

#include "console/OutFolder.h"
#include "platform/win32/Win32ErrorText.h"
#include "shell/WideStrings.h"
#include "win32/Win32Application.h"

namespace {

constexpr int kPathChars = 32768;

volatile LONG stopRequested = 0;

BOOL WINAPI OnConsoleStop(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    InterlockedExchange(&stopRequested, 1);
    return TRUE;
}

// The system's reason for an error, in words, to stand inside a sentence.
std::string Reason(DWORD error) {
    wchar_t text[512];
    SystemErrorText(error, text, sizeof text / sizeof text[0]);
    return ToUtf8(text);
}

std::wstring FullWidePath(const std::wstring& path) {
    std::vector<wchar_t> full(kPathChars);
    const DWORD length = GetFullPathNameW(path.c_str(), kPathChars, full.data(), nullptr);
    if (length == 0 || length >= kPathChars) return path;
    return full.data();
}

// The host folder that stands for the device root with --out DIR.
std::wstring FolderPath(const std::string& dir) {
    std::wstring root = FullWidePath(ToWide(dir));
    while (root.size() > 3 && (root.back() == L'\\' || root.back() == L'/')) root.pop_back();
    return root;
}

}  // namespace

ConsolePaths::Input Win32ConsolePaths::CheckInput(const std::string& path, std::string* reason) {
    const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *reason = Reason(GetLastError());
        return Input::Unreadable;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Input::Folder : Input::Readable;
}

bool Win32ConsolePaths::IsNonFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(FolderPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32ConsolePaths::MakeFolder(const std::string& path, std::string* reason) {
    const std::wstring folder = FolderPath(path);
    if (GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    if (CreateDirectoryW(folder.c_str(), nullptr)) return true;
    *reason = Reason(GetLastError());
    return false;
}

std::wstring Win32ConsolePaths::FullPath(const std::string& path) { return FullWidePath(ToWide(path)); }

FILE* Win32ConsolePaths::OpenForAppend(const std::string& path) { return _wfopen(ToWide(path).c_str(), L"ab"); }

void Win32ConsoleHost::CatchStopSignals() { SetConsoleCtrlHandler(OnConsoleStop, TRUE); }

bool Win32ConsoleHost::StopRequested() { return stopRequested != 0; }

// Ctrl+C and Ctrl+Break both end the run as an interrupt would.
int Win32ConsoleHost::StopSignal() { return kInterrupt; }

bool Win32ConsoleHost::Start(const CommandLine& line, Clock& clock, std::string&) {
    const std::wstring root = line.outDir.empty() ? std::wstring() : FolderPath(line.outDir);
    app_ = &Win32Application::Start(root.c_str(), clock);
    if (!line.outDir.empty()) app_->settings.PinOutputDir(kRootFolder);
    if (line.gpsOnly) app_->settings.PinTalkers(TalkerSet::GpsOnly);
    if (line.noGpx) app_->settings.PinGpx(false);
    return true;
}

std::string Win32ConsoleHost::OutputFolder() {
    wchar_t folder[kFolderChars];
    app_->track.GetFolder(folder);
    std::vector<wchar_t> shown(kDisplayPathChars);
    app_->window.Files().DisplayPath(folder, shown.data(), kDisplayPathChars);
    return ToUtf8(FullWidePath(shown.data()));
}

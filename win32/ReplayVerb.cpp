#include "win32/ReplayVerb.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/ClosingLines.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleObserver.h"
#include "cli/DeviceRoot.h"
#include "cli/ReplayLoop.h"
#include "shell/WideStrings.h"
#include "platform/win32/Win32ErrorText.h"
#include "win32/Win32Application.h"

namespace {

constexpr int kPathChars = 32768;

volatile LONG stopRequested = 0;

BOOL WINAPI OnConsoleStop(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    InterlockedExchange(&stopRequested, 1);
    return TRUE;
}

// A window program has no console of its own: print into the one it was started
// from, unless its output already goes to a file or a pipe.
void UseParentConsole() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    freopen("CONOUT$", "w", stdout);
    freopen("CONOUT$", "w", stderr);
    SetConsoleOutputCP(CP_UTF8);
}

// The system's reason for an error, in words, to stand inside a sentence.
std::string Reason(DWORD error) {
    wchar_t text[512];
    SystemErrorText(error, text, sizeof text / sizeof text[0]);
    return ToUtf8(text);
}

std::wstring FullPath(const std::wstring& path) {
    std::vector<wchar_t> full(kPathChars);
    const DWORD length = GetFullPathNameW(path.c_str(), kPathChars, full.data(), nullptr);
    if (length == 0 || length >= kPathChars) return path;
    return full.data();
}

// Checks every file before the first byte is fed, so that a typo does not leave
// half a replay behind.
bool CheckFiles(const CommandLine& line, std::string& error) {
    for (const std::string& file : line.files) {
        const DWORD attributes = GetFileAttributesW(ToWide(file).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            error = "cannot read " + file + ": " + Reason(GetLastError()) + ". Check the path.";
            return false;
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            error = file + " is a folder. Name the NMEA files in it instead.";
            return false;
        }
    }
    return true;
}

// The host folder that stands for the device root with --out DIR, created when missing.
bool OutFolder(const std::string& dir, std::wstring& root, std::string& error) {
    root = FullPath(ToWide(dir));
    while (root.size() > 3 && (root.back() == L'\\' || root.back() == L'/')) root.pop_back();
    const DWORD attributes = GetFileAttributesW(root.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = "the output folder " + dir + " is a file, not a folder. Choose a folder with --out DIR.";
        return false;
    }
    if (attributes == INVALID_FILE_ATTRIBUTES && !CreateDirectoryW(root.c_str(), nullptr)) {
        error = "cannot create the output folder " + dir + ": " + Reason(GetLastError()) +
                ". Create it yourself or choose another --out folder.";
        return false;
    }
    return true;
}

class ConsoleStop : public ReplayWatcher {
public:
    bool StopRequested() override { return stopRequested != 0; }
};

// What is left of the Linux command line here: the replay alone.
bool WindowsLine(const CommandLine& line, std::string& error) {
    if (line.mode == CommandLine::Mode::Help || line.mode == CommandLine::Mode::Version) return true;
    if (line.mode != CommandLine::Mode::Replay) {
        error = "on Windows only replay runs from the command line; start kestrave.exe without arguments for "
                "the window, which logs from the COM port.";
        return false;
    }
    if (!line.rootDir.empty() || !line.configDir.empty()) {
        error = "--root and --config are for the Linux build; on Windows the settings are in the registry. "
                "Use --out DIR to choose where the day files go.";
        return false;
    }
    return true;
}

int Replay(const CommandLine& line) {
    std::string error;
    std::wstring root;
    if (!CheckFiles(line, error) || (!line.outDir.empty() && !OutFolder(line.outDir, root, error))) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        return 2;
    }
    FILE* statusLog = nullptr;
    if (!OpenStatusLog(line.statusLog, &statusLog)) return 2;
    SetConsoleCtrlHandler(OnConsoleStop, TRUE);

    static ReplayClock clock;
    Application& app = Win32Application::Start(root.c_str(), clock);
    if (!line.outDir.empty()) app.settings.PinOutputDir(kRootFolder);
    if (line.gpsOnly) app.settings.PinTalkers(TalkerSet::GpsOnly);
    ConsoleObserver console(statusLog, false);
    app.dialog.SetObserver(&console);
    app.window.Create();
    app.window.Activate();

    PrepareReplay(app);
    int code = 0;
    ConsoleStop stop;
    for (const std::string& file : line.files) {
        uint64_t stoppedAt = 0;
        if (ReplayFile(app, clock, FullPath(ToWide(file)).c_str(), stop, &stoppedAt)) continue;
        SayReplayStopped("Ctrl+C", file, stoppedAt);
        code = 130;
        break;
    }
    if (code == 0) code = FinishReplay(app);
    app.window.Teardown();
    if (!CloseStatusLog(line.statusLog, statusLog) && code == 0) code = 1;

    wchar_t folder[kFolderChars];
    app.track.GetFolder(folder);
    std::vector<wchar_t> shown(kDisplayPathChars);
    app.window.Files().DisplayPath(folder, shown.data(), kDisplayPathChars);
    return SayClosingLines(app, "Day files (.plt track, .rte route) are in ", "No day file was written.",
                           ToUtf8(FullPath(shown.data())), code);
}

}  // namespace

int RunConsoleVerb(int argc, wchar_t** argv) {
    UseParentConsole();
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i) words.push_back(ToUtf8(argv[i]));
    std::vector<const char*> args;
    for (const std::string& word : words) args.push_back(word.c_str());
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(argc, args.data(), line, error) || !WindowsLine(line, error)) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        return 2;
    }
    if (line.mode == CommandLine::Mode::Help) {
        fputs("Usage:\n"
              "  kestrave.exe                      the window program: live logging from a COM port\n"
              "  kestrave.exe replay FILE... [--out DIR] [--status-log FILE] [--gps-only]\n"
              "                                    replay recorded NMEA files into the day files, as fast as "
              "possible\n",
              stdout);
        return 0;
    }
    if (line.mode == CommandLine::Mode::Version) {
        printf("kestrave %s\n", KESTRAVE_VERSION);
        return 0;
    }
    return Replay(line);
}

#include "win32/ReplayVerb.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "console/CommandLine.h"
#include "console/ReplaySession.h"
#include "shell/WideStrings.h"
#include "win32/Win32ConsoleHost.h"

namespace {

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
    static Win32ConsoleHost host;
    return RunReplay(line, host);
}

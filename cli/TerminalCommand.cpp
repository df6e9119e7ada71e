#include "cli/TerminalCommand.h"

#include <unistd.h>

#include <clocale>
#include <cstdio>

#include "cli/HostApplication.h"
#include "cli/PosixConsoleHost.h"
#include "console/ConsoleSession.h"
#include "platform/posix/PosixClock.h"
#include "terminal/TerminalProgram.h"

namespace {

class TerminalFace : public SessionFace {
public:
    const char* ClosingLine(const Application&) const override { return "Kestrave stopped; the day files are in "; }
    const char* NothingWrittenLine() const override { return "Kestrave stopped; no day file was written."; }

    void SayFolderHeld(const std::string& folder, long holder) const override {
        if (holder > 0) {
            fprintf(stderr, "Kestrave is already running (process %ld)\n", holder);
        } else {
            fprintf(stderr, "Kestrave is already running\n");
        }
        fprintf(stderr, "It logs into %s. Close it first, or start this one on another folder with --out DIR.\n",
                folder.c_str());
    }

    // After the lock, so that a second start is told of the first wherever it runs.
    int Run(Application& app, ConsoleObserver& console) override {
        if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
            fprintf(stderr, "kestrave: the terminal program needs a terminal; use kestrave log to log without one.\n");
            return 2;
        }
        // Only the character type: numbers keep the "C" formatting the files depend on.
        setlocale(LC_CTYPE, "");
        TerminalProgram program(app, HostApplication::Files(), console.KeepsStatusLog() ? &console : nullptr,
                                &HostApplication::Gpsd());
        return program.Run();
    }
};

}  // namespace

int RunTerminal(const CommandLine& line) {
    static PosixClock clock;
    TerminalFace face;
    static PosixConsoleHost host;
    return RunConsoleSession(line, clock, host, face);
}

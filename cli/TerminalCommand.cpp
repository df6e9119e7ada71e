#include "cli/TerminalCommand.h"

#include <unistd.h>

#include <clocale>
#include <cstdio>

#include "cli/HostApplication.h"
#include "cli/Session.h"
#include "platform/posix/InstanceLock.h"
#include "platform/posix/PosixClock.h"
#include "terminal/TerminalProgram.h"

namespace {

class TerminalFace : public SessionFace {
public:
    const char* ClosingLine() const override { return "Kestrave stopped; the day files are in "; }

    int Run(Application& app, ConsoleObserver& console) override {
        // Only the character type: numbers keep the "C" formatting the files depend on.
        setlocale(LC_CTYPE, "");
        TerminalProgram program(app, HostApplication::Files(), console.KeepsStatusLog() ? &console : nullptr);
        return program.Run();
    }
};

}  // namespace

int RunTerminal(const CommandLine& line) {
    InstanceLock lock;
    std::string lockPath = InstanceLock::DefaultPath();
    switch (lock.Acquire(lockPath)) {
        case InstanceLock::Result::Held:
            if (lock.Holder() > 0) {
                fprintf(stderr, "Kestrave is already running (process %ld)\n", static_cast<long>(lock.Holder()));
            } else {
                fprintf(stderr, "Kestrave is already running\n");
            }
            return 1;
        case InstanceLock::Result::Failed:
            fprintf(stderr, "kestrave: warning: %s; a second start would not be noticed.\n", lock.Error().c_str());
            break;
        case InstanceLock::Result::Acquired:
            if (!lock.Error().empty()) fprintf(stderr, "kestrave: warning: %s\n", lock.Error().c_str());
            break;
    }
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        fprintf(stderr, "kestrave: the terminal program needs a terminal; use kestrave log to log without one.\n");
        return 2;
    }
    static PosixClock clock;
    TerminalFace face;
    return RunSession(line, clock, face);
}

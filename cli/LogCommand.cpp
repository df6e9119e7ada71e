#include "cli/LogCommand.h"

#include <cstdio>

#include "cli/HostApplication.h"
#include "cli/Session.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixTickTimer.h"

namespace {

class LogFace : public SessionFace {
public:
    explicit LogFace(const CommandLine& line) : line_(line) {}

    bool StatusToOutput() const override { return true; }
    const char* ClosingLine() const override { return "Stopped; the day files are in "; }

    int Run(Application& app, ConsoleObserver&) override {
        PosixTickTimer timer;
        if (!timer.WaitForNextTick()) return 0;
        // The first tick loads the stored output folder.
        app.window.Tick();
        if (app.port.portNumber < 0) {
            printf("No port is selected (\"None\"): nothing will be logged. Choose one in the terminal program.\n");
        } else {
            printf("Logging COM%d at %d bit/s%s%s into %s. Stop with Ctrl+C.\n", app.port.portNumber,
                   app.port.portSpeed, line_.device.empty() ? "" : " bound to ", line_.device.c_str(),
                   HostApplication::OutputFolder().c_str());
        }
        fflush(stdout);
        while (timer.WaitForNextTick()) app.window.Tick();
        return 0;
    }

private:
    const CommandLine& line_;
};

}  // namespace

int RunLog(const CommandLine& line) {
    static PosixClock clock;
    LogFace face(line);
    return RunSession(line, clock, face);
}

#include "shell/LogCommand.h"

#include <cstdio>
#include <string>

#include "platform/posix/PosixClock.h"
#include "shell/ConsoleObserver.h"
#include "shell/HostApplication.h"
#include "shell/TickTimer.h"

int RunLog(const CommandLine& line) {
    FILE* statusLog = nullptr;
    if (!OpenStatusLog(line.statusLog, "ab", &statusLog)) return 2;
    static PosixClock clock;
    std::string error;
    if (!HostApplication::Start(line, clock, error)) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        return 2;
    }
    TickTimer::CatchStopSignals();
    Application& app = HostApplication::App();
    ConsoleObserver observer(statusLog, true);
    app.dialog.SetObserver(&observer);

    app.window.Create();
    HostApplication::ApplyCommandLine(line);
    app.window.Activate();
    TickTimer timer;
    if (timer.WaitForNextTick()) {
        // The first tick loads the stored output folder; --out still wins over it.
        app.window.Tick();
        HostApplication::ApplyCommandLine(line);
        if (app.port.portNumber < 0) {
            printf("No port is selected (\"None\"): nothing will be logged. Choose one in the terminal program.\n");
        } else {
            printf("Logging COM%d at %d bit/s%s%s into %s. Stop with Ctrl+C.\n", app.port.portNumber,
                   app.port.portSpeed, line.device.empty() ? "" : " bound to ", line.device.c_str(),
                   HostApplication::OutputFolder().c_str());
        }
        fflush(stdout);
        while (timer.WaitForNextTick()) app.window.Tick();
    }
    app.window.Teardown();
    if (statusLog != nullptr) fclose(statusLog);
    printf("Stopped; the day files are in %s\n", HostApplication::OutputFolder().c_str());
    return 0;
}

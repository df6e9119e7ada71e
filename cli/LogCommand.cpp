#include "cli/LogCommand.h"

#include <cstdio>

#include "cli/HostApplication.h"
#include "cli/PosixConsoleHost.h"
#include "console/ConsoleSession.h"
#include "platform/Utf8.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/services/PosixTickTimer.h"

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
        } else if (HostApplication::ReadsGpsd()) {
            // gpsd sets the receiver's speed itself.
            printf("Logging COM%d bound to %s into %s. Stop with Ctrl+C.\n", app.port.portNumber,
                   HostApplication::BoundInput().c_str(), HostApplication::OutputFolder().c_str());
        } else {
            const std::string bound = HostApplication::BoundInput();
            printf("Logging COM%d at %d bit/s%s%s into %s. Stop with Ctrl+C.\n", app.port.portNumber,
                   app.port.portSpeed, bound.empty() ? "" : " bound to ", bound.c_str(),
                   HostApplication::OutputFolder().c_str());
        }
        fflush(stdout);
        while (timer.WaitForNextTick()) {
            app.window.Tick();
            if (line_.quiet) SayStartedFiles(app);
        }
        return 0;
    }

private:
    // A day file this run created is a change of state worth a line when the rest is quiet.
    void SayStartedFiles(Application& app) {
        SayStarted(app.track.FilesStarted(), app.track.LastStartedPath(), &trackFiles_);
        SayStarted(app.route.FilesStarted(), app.route.LastStartedPath(), &routeFiles_);
    }
    void SayStarted(uint32_t started, const wchar_t* path, uint32_t* said) {
        if (started == *said) return;
        *said = started;
        static wchar_t host[kDisplayPathChars];
        static char text[4 * kDisplayPathChars];
        HostApplication::Files().DisplayPath(path, host, kDisplayPathChars);
        WideToUtf8(host, text, sizeof text);
        printf("Started the day file %s\n", text);
        fflush(stdout);
    }

    const CommandLine& line_;
    uint32_t trackFiles_ = 0;
    uint32_t routeFiles_ = 0;
};

}  // namespace

int RunLog(const CommandLine& line) {
    static PosixClock clock;
    LogFace face(line);
    static PosixConsoleHost host;
    return RunConsoleSession(line, clock, host, face);
}

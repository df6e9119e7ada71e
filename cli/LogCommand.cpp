#include "cli/LogCommand.h"

#include <cstdio>

#include "cli/HostApplication.h"
#include "cli/PosixConsoleHost.h"
#include "console/ConsoleSession.h"
#include "platform/Utf8.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/services/PosixTickTimer.h"
#include "platform/posix/services/ServiceNotifier.h"

namespace {

// log has no menus: its port and speed are options.
const PortAdvice kOptionPortAdvice = {L"name the receiver's tty with --device PATH",
                                      L"give its speed with --speed BAUD"};

class LogFace : public SessionFace {
public:
    LogFace(const CommandLine& line, Clock& clock) : line_(line), clock_(clock) {}

    bool StatusToOutput() const override { return true; }
    const char* ClosingLine(const Application&) const override { return "Stopped; the day files are in "; }
    const char* NothingWrittenLine() const override {
        return "Stopped; no day file was written: the log above says why.";
    }

    int Run(Application& app, ConsoleObserver&) override {
        app.poller.SetAdvice(kOptionPortAdvice);
        PosixTickTimer timer;
        if (!timer.WaitForNextTick()) return 0;
        // The first tick loads the stored output folder.
        app.window.Tick();
        char started[ServiceNotifier::kStatusBytes];
        DescribeStart(app, started, sizeof started);
        printf("%s Stop with Ctrl+C.\n", started);
        fflush(stdout);
        ServiceNotifier notifier;
        notifier.Start();
        notifier.Ready(started);
        while (timer.WaitForNextTick()) {
            app.window.Tick();
            if (line_.quiet) SayStartedFiles(app);
            SayStateChange(app);
            notifier.Tick(clock_.TickMs());
            if (notifier.Listening()) notifier.Status(ServiceStatus(app));
        }
        notifier.Stopping();
        return 0;
    }

private:
    // What the run logs from and where to; the first line of the run and of its service status.
    static void DescribeStart(Application& app, char* text, size_t bytes) {
        if (app.port.portNumber < 0) {
            snprintf(text, bytes, "No port is selected (\"None\"): nothing will be logged. Choose one in the terminal "
                                  "program.");
        } else if (HostApplication::ReadsGpsd()) {
            // gpsd sets the receiver's speed itself.
            snprintf(text, bytes, "Logging COM%d bound to %s into %s.", app.port.portNumber,
                     HostApplication::BoundInput().c_str(), HostApplication::OutputFolder().c_str());
        } else if (!HostApplication::BoundInput().empty()) {
            snprintf(text, bytes, "Logging COM%d at %d bit/s bound to %s into %s.", app.port.portNumber,
                     app.port.portSpeed, HostApplication::BoundInput().c_str(), HostApplication::OutputFolder().c_str());
        } else {
            // Name the device behind the number, so that nobody wonders which one is read.
            wchar_t device[kDisplayPathChars];
            char named[128];  // a product name and a kernel name; the menu cuts them as short
            const bool present = app.port.Describe(app.port.portNumber, device, kDisplayPathChars);
            WideToUtf8(device, named, sizeof named);
            if (present) {
                snprintf(text, bytes, "Logging COM%d, that is %s, at %d bit/s into %s.", app.port.portNumber, named,
                         app.port.portSpeed, HostApplication::OutputFolder().c_str());
            } else {
                snprintf(text, bytes,
                         "Logging COM%d at %d bit/s into %s; no device stands behind COM%d yet: plug the receiver in, "
                         "or name it with --device PATH.",
                         app.port.portNumber, app.port.portSpeed, HostApplication::OutputFolder().c_str(),
                         app.port.portNumber);
            }
        }
    }

    // `systemctl status` shows the recording state, as the terminal program does.
    const char* ServiceStatus(Application& app) {
        WideToUtf8(app.state.Line(), status_, sizeof status_);
        return status_;
    }

    // A line at each change of the recording state: the journal then says since when
    // nothing was saved, and when it was again.
    void SayStateChange(Application& app) {
        if (app.state.Changes() == stateChanges_) return;
        stateChanges_ = app.state.Changes();
        char line[ServiceNotifier::kStatusBytes];
        WideToUtf8(app.state.Line(), line, sizeof line);
        printf("%s\n", line);
        fflush(stdout);
    }

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
    Clock& clock_;
    char status_[2 * ServiceNotifier::kStatusBytes] = {};
    uint32_t stateChanges_ = 0;
    uint32_t trackFiles_ = 0;
    uint32_t routeFiles_ = 0;
};

}  // namespace

int RunLog(const CommandLine& line) {
    static PosixClock clock;
    LogFace face(line, clock);
    static PosixConsoleHost host;
    return RunConsoleSession(line, clock, host, face);
}

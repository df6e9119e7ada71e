#include "cli/ReplayCommand.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/HostApplication.h"
#include "cli/ReplayClock.h"
#include "cli/Session.h"
#include "platform/Utf8.h"
#include "platform/posix/HostPaths.h"
#include "platform/posix/PosixTickTimer.h"

namespace {

// Checks every file before the first byte is fed, so that a typo does not leave
// half a replay behind.
bool CheckFiles(const CommandLine& line, std::string& error) {
    for (const std::string& file : line.files) {
        const int problem = CheckReadableFile(file);
        if (problem == EISDIR) {
            error = file + " is a folder. Name the NMEA files in it instead.";
            return false;
        }
        if (problem != 0) {
            error = "cannot read " + file + ": " + strerror(problem) + ". Check the path.";
            return false;
        }
    }
    return true;
}

// A progress bar on standard error, only when that is a terminal.
class Progress {
public:
    Progress(const std::string& name, uint64_t size)
        : name_(name), size_(StandardErrorIsTerminal() && size != kInvalidSize ? size : 0) {}
    void Show(uint64_t at) {
        if (size_ == 0) return;
        int percent = static_cast<int>(at * 100 / size_);
        if (percent == shown_) return;
        shown_ = percent;
        int bar = percent * 30 / 100;
        fprintf(stderr, "\r%-30.30s [%.*s%*s] %3d%%", name_.c_str(), bar, "==============================",
                30 - bar, "", percent);
        fflush(stderr);
    }
    void Done() {
        if (size_ > 0) fprintf(stderr, "\r%*s\r", 72, "");
    }

private:
    std::string name_;
    uint64_t size_;
    int shown_ = -1;
};

// How a stop signal is named to the user.
const char* SignalName(int number) {
    return number == SIGINT ? "Ctrl+C" : number == SIGTERM ? "SIGTERM" : number == SIGHUP ? "SIGHUP" : "a signal";
}

class ReplayFace : public SessionFace {
public:
    ReplayFace(const CommandLine& line, ReplayClock& clock) : line_(line), clock_(clock) {}

    // A replay may run beside a logger; the day files take turns through their own locks.
    bool LocksOutputFolder() const override { return false; }
    const char* ClosingLine() const override { return "Day files (.plt track, .rte route) are in "; }
    const char* NothingWrittenLine() const override { return "No day file was written."; }

    int Run(Application& app, ConsoleObserver&) override {
        PrepareReplay(app);
        for (const std::string& file : line_.files) {
            uint64_t stoppedAt = 0;
            if (ReplayFile(app, file, &stoppedAt)) continue;
            // The teardown that follows flushes both writers.
            const int number = PosixTickTimer::StopSignal();
            fprintf(stderr,
                    "kestrave: replay stopped by %s in %s after %llu bytes; the day files hold every point read "
                    "before, and no later file was replayed.\n",
                    SignalName(number), file.c_str(), static_cast<unsigned long long>(stoppedAt));
            // As a shell reports a program that a signal ended.
            return 128 + number;
        }
        // The last flushes may fail too, and count.
        app.window.Teardown();
        const uint32_t fileErrors = app.track.FileErrors() + app.route.FileErrors() + app.window.FileErrors();
        return fileErrors > 0 ? 1 : 0;
    }

private:
    // Feeds one file, tick by tick; false, with the bytes fed so far, when a stop
    // signal comes first.
    bool ReplayFile(Application& app, const std::string& file, uint64_t* stoppedAt) {
        if (PosixTickTimer::StopRequested()) return false;
        const std::string absolute = AbsoluteHostPath(file);
        std::vector<wchar_t> path(absolute.size() + 1);
        Utf8ToWide(absolute.c_str(), path.data(), static_cast<int>(path.size()));
        if (!app.window.OpenNmeaFile(path.data())) return true;
        Progress progress(file, HostApplication::Files().Size(app.poller.replayFile));
        while (app.poller.Replaying()) {
            if (PosixTickTimer::StopRequested()) {
                progress.Done();
                *stoppedAt = app.poller.ReplayedBytes();
                return false;
            }
            clock_.NextTick();
            app.window.Tick();
            if (app.poller.Replaying()) progress.Show(app.poller.ReplayedBytes());
        }
        progress.Done();
        return true;
    }

    const CommandLine& line_;
    ReplayClock& clock_;
};

}  // namespace

void PrepareReplay(Application& app) {
    app.port.portNumber = SerialPort::kNoPort;
    app.window.Tick();
}

int RunReplay(const CommandLine& line) {
    std::string error;
    if (!CheckFiles(line, error)) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        return 2;
    }
    static ReplayClock clock;
    ReplayFace face(line, clock);
    return RunSession(line, clock, face);
}

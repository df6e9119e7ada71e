#include "cli/ReplayCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/HostApplication.h"
#include "cli/ReplayClock.h"
#include "cli/Session.h"
#include "platform/Utf8.h"
#include "platform/posix/HostPaths.h"

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
    Progress(const std::string& name, uint32_t size)
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

class ReplayFace : public SessionFace {
public:
    ReplayFace(const CommandLine& line, ReplayClock& clock) : line_(line), clock_(clock) {}

    const char* StatusLogMode() const override { return "wb"; }
    bool CatchesStopSignals() const override { return false; }
    const char* ClosingLine() const override { return "Day files (.plt track, .rte route) are in "; }

    int Run(Application& app, ConsoleObserver&) override {
        PrepareReplay(app);
        for (const std::string& file : line_.files) {
            const std::string absolute = AbsoluteHostPath(file);
            std::vector<wchar_t> path(absolute.size() + 1);
            Utf8ToWide(absolute.c_str(), path.data(), static_cast<int>(path.size()));
            if (!app.window.OpenNmeaFile(path.data())) continue;
            Progress progress(file, HostApplication::Files().Size(app.poller.replayFile));
            while (app.poller.Replaying()) {
                clock_.NextTick();
                app.window.Tick();
                if (app.poller.Replaying()) progress.Show(app.poller.ReplayedBytes());
            }
            progress.Done();
        }
        app.window.Teardown();
        const uint32_t fileErrors = app.track.FileErrors() + app.route.FileErrors() + app.window.FileErrors();
        return fileErrors > 0 ? 1 : 0;
    }

private:
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

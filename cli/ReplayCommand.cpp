#include "cli/ReplayCommand.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/HostApplication.h"
#include "cli/ReplayClock.h"
#include "cli/ReplayLoop.h"
#include "cli/Session.h"
#include "shell/WideStrings.h"
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

// A progress bar on standard error, only when that is a terminal; Ctrl+C, SIGTERM and
// SIGHUP stop the replay at the next tick.
class Progress : public ReplayWatcher {
public:
    explicit Progress(const std::string& name) : name_(name) {}
    bool StopRequested() override { return PosixTickTimer::StopRequested(); }
    void Started(uint64_t size) override {
        size_ = StandardErrorIsTerminal() && size != kInvalidSize ? size : 0;
    }
    void Fed(uint64_t at) override {
        if (size_ == 0) return;
        int percent = static_cast<int>(at * 100 / size_);
        if (percent == shown_) return;
        shown_ = percent;
        int bar = percent * 30 / 100;
        fprintf(stderr, "\r%-30.30s [%.*s%*s] %3d%%", name_.c_str(), bar, "==============================",
                30 - bar, "", percent);
        fflush(stderr);
    }
    void Finished() override {
        if (size_ > 0) fprintf(stderr, "\r%*s\r", 72, "");
    }

private:
    std::string name_;
    uint64_t size_ = 0;
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
            Progress progress(file);
            uint64_t stoppedAt = 0;
            if (ReplayFile(app, clock_, ToWide(AbsoluteHostPath(file)).c_str(), progress, &stoppedAt)) continue;
            // The teardown that follows flushes both writers.
            const int number = PosixTickTimer::StopSignal();
            SayReplayStopped(SignalName(number), file, stoppedAt);
            // As a shell reports a program that a signal ended.
            return 128 + number;
        }
        return FinishReplay(app);
    }

private:
    const CommandLine& line_;
    ReplayClock& clock_;
};

}  // namespace

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

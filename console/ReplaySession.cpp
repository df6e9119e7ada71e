#include "console/ReplaySession.h"

#include <cstdio>
#include <string>

#include "console/ConsoleHost.h"
#include "console/ConsoleSession.h"
#include "console/OutFolder.h"
#include "console/ReplayClock.h"
#include "console/ReplayLoop.h"

namespace {

// Checks every file before the first byte is fed, so that a typo does not leave
// half a replay behind.
bool CheckFiles(const CommandLine& line, ConsoleHost& host, std::string& error) {
    for (const std::string& file : line.files) {
        std::string reason;
        switch (host.Paths().CheckInput(file, &reason)) {
            case ConsolePaths::Input::Readable:
                continue;
            case ConsolePaths::Input::Folder:
                error = file + " is a folder. Name the NMEA files in it instead.";
                return false;
            case ConsolePaths::Input::Unreadable:
                error = "cannot read " + file + ": " + reason + ". Check the path.";
                return false;
        }
    }
    return true;
}

// A progress bar on standard error where the host can draw one; a stop signal stops
// the replay at the next tick.
class Progress : public ReplayWatcher {
public:
    Progress(ConsoleHost& host, const std::string& name) : host_(host), name_(name) {}
    bool StopRequested() override { return host_.StopRequested(); }
    void Started(uint64_t size) override { size_ = host_.ShowsProgress() && size != kInvalidSize ? size : 0; }
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
    ConsoleHost& host_;
    std::string name_;
    uint64_t size_ = 0;
    int shown_ = -1;
};

// How a stop signal is named to the user.
const char* SignalName(int number) {
    switch (number) {
        case ConsoleHost::kInterrupt: return "Ctrl+C";
        case ConsoleHost::kTerminate: return "SIGTERM";
        case ConsoleHost::kHangUp: return "SIGHUP";
    }
    return "a signal";
}

class ReplayFace : public SessionFace {
public:
    ReplayFace(const CommandLine& line, ReplayClock& clock, ConsoleHost& host)
        : line_(line), clock_(clock), host_(host) {}

    // A replay may run beside a logger; the day files take turns through their own locks.
    bool LocksOutputFolder() const override { return false; }
    const char* ClosingLine(const Application& app) const override {
        return app.track.GpxOn() ? "Day files (.plt track, .rte route, .gpx track) are in "
                                 : "Day files (.plt track, .rte route) are in ";
    }
    const char* NothingWrittenLine() const override { return "No day file was written."; }

    int Run(Application& app, ConsoleObserver&) override {
        PrepareReplay(app);
        for (const std::string& file : line_.files) {
            Progress progress(host_, file);
            uint64_t stoppedAt = 0;
            if (ReplayFile(app, clock_, host_.Paths().FullPath(file).c_str(), progress, &stoppedAt)) continue;
            // The teardown that follows flushes both writers.
            const int number = host_.StopSignal();
            SayReplayStopped(SignalName(number), file, stoppedAt);
            // As a shell reports a program that a signal ended.
            return 128 + number;
        }
        return 0;
    }

    // The teardown's flushes may fail too, and count.
    int AfterTeardown(Application& app, int code) override {
        return code == 0 && FileErrorsLogged(app) ? 1 : code;
    }

private:
    const CommandLine& line_;
    ReplayClock& clock_;
    ConsoleHost& host_;
};

}  // namespace

int RunReplay(const CommandLine& line, ConsoleHost& host) {
    std::string error;
    if (!CheckFiles(line, host, error) || (!line.outDir.empty() && !PrepareOutFolder(host.Paths(), line.outDir, error))) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        return 2;
    }
    static ReplayClock clock;
    ReplayFace face(line, clock, host);
    return RunConsoleSession(line, clock, host, face);
}

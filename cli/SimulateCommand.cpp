#include "cli/SimulateCommand.h"

#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/posix/PosixClock.h"
#include "platform/posix/services/PosixTickTimer.h"
#include "simulator/NmeaSimulator.h"
#include "simulator/PtyReceiver.h"

namespace {

constexpr int64_t kSecondNs = 1000000000;
// How long the end of a drive waits for a reader that no longer takes anything.
constexpr int64_t kDrainStallNs = 5 * kSecondNs;
constexpr int64_t kDrainCheckNs = kSecondNs / 10;
// Bytes may still be on their way into the line's count; an empty line must be
// seen this many times in a row.
constexpr int kEmptyChecks = 3;

SimulatorOptions OptionsOf(const CommandLine& line) {
    SimulatorOptions options;
    options.seed = line.seed;
    if (line.minutes > 0) options.hours = line.minutes / 60.0;
    return options;
}

int RunIntoFile(const CommandLine& line) {
    std::string error;
    if (!WriteSimulatedRecording(line.simulateOut.c_str(), OptionsOf(line), error)) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        return 1;
    }
    printf("Wrote a made-up drive to %s (seed %u). Replay it with: kestrave replay %s\n",
           line.simulateOut.c_str(), line.seed, line.simulateOut.c_str());
    return 0;
}

// The live receiver: the line, its pace and the copy of what went onto it.
class LiveRun {
public:
    explicit LiveRun(const CommandLine& line) : line_(line) {}
    ~LiveRun() {
        if (copy_ != nullptr) fclose(copy_);
    }

    int Run() {
        // Stop signals get through only while the line is waited on, so that one that
        // comes just before a wait cannot be missed.
        PosixTickTimer::CatchStopSignals();
        sigset_t stops;
        sigemptyset(&stops);
        sigaddset(&stops, SIGINT);
        sigaddset(&stops, SIGTERM);
        sigaddset(&stops, SIGHUP);
        sigprocmask(SIG_BLOCK, &stops, &waitMask_);
        sigdelset(&waitMask_, SIGINT);
        sigdelset(&waitMask_, SIGTERM);
        sigdelset(&waitMask_, SIGHUP);

        std::string error;
        if (!receiver_.Open(error)) return Fail(error);
        if (!line_.simulateOut.empty()) {
            copy_ = fopen(line_.simulateOut.c_str(), "wb");
            if (copy_ == nullptr) return Fail(CopyError("create"));
        }
        const char* path = receiver_.Path().c_str();
        printf("Receiver on %s \xE2\x80\x94 try: kestrave log --device %s\n", path, path);
        fflush(stdout);

        // The drive begins when someone listens, so that the reader gets it from the start.
        while (!receiver_.HasReader() && !PosixTickTimer::StopRequested()) WaitUntil(Now() + kSecondNs);
        if (PosixTickTimer::StopRequested()) {
            printf("Stopped before anyone opened the line.\n");
            return 0;
        }
        printf("Sending the drive at %g times real time (seed %u). Stop with Ctrl+C.\n", line_.speedUp,
               line_.seed);
        fflush(stdout);
        if (!SendDrive(error)) return Fail(error);
        if (PosixTickTimer::StopRequested()) {
            printf("Stopped after %u epochs (%u of them lost on the line).\n", epochs_, lost_);
            return 0;
        }
        WaitForReaderToCatchUp();
        printf("The drive is over: %u epochs (%u of them lost on the line).\n", epochs_, lost_);
        return 0;
    }

private:
    static int64_t Now() { return MonotonicNs(); }

    int Fail(const std::string& error) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        return 1;
    }

    std::string CopyError(const char* what) const {
        return std::string("cannot ") + what + " the copy of the sent bytes " + line_.simulateOut + " (" +
               strerror(errno) + "). Check the folder and the free space.";
    }

    // Serves the line until the time comes; false when a stop signal came first.
    bool WaitUntil(int64_t untilNs) {
        while (!PosixTickTimer::StopRequested() && Now() < untilNs) receiver_.Serve(untilNs, &waitMask_);
        return !PosixTickTimer::StopRequested();
    }

    bool SendDrive(std::string& error) {
        NmeaSimulator simulator(OptionsOf(line_));
        const int64_t periodNs = static_cast<int64_t>(kSecondNs / line_.speedUp);
        std::string epoch;
        int64_t dueNs = Now();
        while (simulator.NextEpoch(epoch)) {
            if (!WaitUntil(dueNs)) return true;
            size_t sent = receiver_.Send(epoch.data(), epoch.size());
            ++epochs_;
            if (sent < epoch.size()) ++lost_;
            if (copy_ != nullptr && sent > 0 &&
                (fwrite(epoch.data(), 1, sent, copy_) != sent || fflush(copy_) != 0)) {
                error = CopyError("write");
                return false;
            }
            epoch.clear();
            // Keeps the pace without drifting, but after a stall (a suspended
            // machine) goes on from now instead of sending a burst.
            dueNs += periodNs;
            if (Now() - dueNs > kSecondNs) dueNs = Now();
        }
        return true;
    }

    // Closing the master throws away what the reader has not taken yet, where a real
    // line would still deliver it: so wait until the line is empty, the reader has
    // gone, or it has stopped taking bytes.
    void WaitForReaderToCatchUp() {
        int unread = receiver_.Unread();
        int64_t progressNs = Now();
        int emptySeen = 0;
        while (receiver_.HasReader() && emptySeen < kEmptyChecks && Now() - progressNs < kDrainStallNs) {
            if (!WaitUntil(Now() + kDrainCheckNs)) return;
            int now = receiver_.Unread();
            emptySeen = now == 0 ? emptySeen + 1 : 0;
            if (now < unread) progressNs = Now();
            unread = now;
        }
    }

    const CommandLine& line_;
    PtyReceiver receiver_;
    sigset_t waitMask_{};
    FILE* copy_ = nullptr;
    uint32_t epochs_ = 0;
    uint32_t lost_ = 0;
};

}  // namespace

int RunSimulate(const CommandLine& line) {
    if (!line.pty) return RunIntoFile(line);
    LiveRun run(line);
    return run.Run();
}

#pragma once
#include <csignal>
#include <cstdint>

// The one-second timer of a program on this host: waits for the next whole second
// after the start, without drifting and without bursts after a slow tick, and
// returns early when a stop signal (Ctrl+C, SIGTERM, SIGHUP) arrives.
class PosixTickTimer {
public:
    PosixTickTimer();
    // Installs the handlers of the stop signals.
    static void CatchStopSignals();
    static bool StopRequested() { return stopSignal_ != 0; }
    // The stop signal that came (SIGINT, SIGTERM or SIGHUP); 0 while none has.
    static int StopSignal() { return stopSignal_; }

    // False when a stop signal came instead.
    bool WaitForNextTick();

private:
    static volatile sig_atomic_t stopSignal_;
    int64_t nextMs_;
};

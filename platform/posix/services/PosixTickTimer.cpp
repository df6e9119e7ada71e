#include "platform/posix/services/PosixTickTimer.h"

#include <time.h>

#include <cerrno>

#include "platform/posix/PosixClock.h"

volatile sig_atomic_t PosixTickTimer::stopSignal_ = 0;

PosixTickTimer::PosixTickTimer() : nextMs_(MonotonicMs() + 1000) {}

void PosixTickTimer::CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = [](int number) { stopSignal_ = number; };
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in progress ends at once.
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

bool PosixTickTimer::WaitForNextTick() {
    while (!stopSignal_) {
        int64_t left = nextMs_ - MonotonicMs();
        if (left <= 0) break;
        timespec wait{static_cast<time_t>(left / 1000), static_cast<long>(left % 1000) * 1000000};
        nanosleep(&wait, nullptr);
    }
    if (stopSignal_) return false;
    // A tick that ran long is not caught up: the next one comes a second after this one.
    int64_t now = MonotonicMs();
    nextMs_ = nextMs_ + 1000 > now ? nextMs_ + 1000 : now + 1000;
    return true;
}

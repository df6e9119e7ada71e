#include "cli/PosixConsoleHost.h"

#include <csignal>
#include <cstdio>

#include "cli/HostApplication.h"
#include "console/ConsoleSession.h"
#include "platform/posix/services/HostPaths.h"
#include "platform/posix/services/PosixTickTimer.h"

void PosixConsoleHost::CatchStopSignals() { PosixTickTimer::CatchStopSignals(); }

bool PosixConsoleHost::StopRequested() { return PosixTickTimer::StopRequested(); }

static_assert(SIGINT == ConsoleHost::kInterrupt && SIGTERM == ConsoleHost::kTerminate &&
                  SIGHUP == ConsoleHost::kHangUp,
              "the stop signals' numbers name them to the user");

int PosixConsoleHost::StopSignal() { return PosixTickTimer::StopSignal(); }

bool PosixConsoleHost::ShowsProgress() { return StandardErrorIsTerminal(); }

bool PosixConsoleHost::Start(const CommandLine& line, Clock& clock, std::string& error) {
    return HostApplication::Start(line, clock, error);
}

Application& PosixConsoleHost::App() { return HostApplication::App(); }

std::string PosixConsoleHost::OutputFolder() { return HostApplication::OutputFolder(); }

// Locks the folder the first tick will load (loading it here to know it; the tick's
// load finds the same), before any tick can write into it.
bool PosixConsoleHost::LockOutputFolder(const SessionFace& face) {
    HostApplication::App().settings.LoadOutputDir();
    const std::string folder = HostApplication::OutputFolder();
    switch (lock_.Acquire(InstanceLock::PathFor(folder))) {
        case InstanceLock::Result::Held:
            face.SayFolderHeld(folder, static_cast<long>(lock_.Holder()));
            return false;
        case InstanceLock::Result::Failed:
            fprintf(stderr,
                    "kestrave: warning: %s, so a second Kestrave logging into %s would not be noticed. "
                    "Check the runtime folder (XDG_RUNTIME_DIR).\n",
                    lock_.Error().c_str(), folder.c_str());
            return true;
        case InstanceLock::Result::Acquired:
            if (!lock_.Error().empty()) fprintf(stderr, "kestrave: warning: %s\n", lock_.Error().c_str());
            return true;
    }
    return true;
}

#include "cli/Session.h"

#include <cstdio>
#include <string>

#include "cli/ClosingLines.h"
#include "cli/HostApplication.h"
#include "platform/posix/InstanceLock.h"
#include "platform/posix/PosixTickTimer.h"

namespace {

// Locks the folder the first tick will load (loading it here to know it; the tick's
// load finds the same), before any tick can write into it. False when another
// process holds it.
bool LockOutputFolder(Application& app, const SessionFace& face, InstanceLock& lock) {
    app.settings.LoadOutputDir();
    const std::string folder = HostApplication::OutputFolder();
    switch (lock.Acquire(InstanceLock::PathFor(folder))) {
        case InstanceLock::Result::Held:
            face.SayFolderHeld(folder, lock.Holder());
            return false;
        case InstanceLock::Result::Failed:
            fprintf(stderr,
                    "kestrave: warning: %s, so a second Kestrave logging into %s would not be noticed. "
                    "Check the runtime folder (XDG_RUNTIME_DIR).\n",
                    lock.Error().c_str(), folder.c_str());
            return true;
        case InstanceLock::Result::Acquired:
            if (!lock.Error().empty()) fprintf(stderr, "kestrave: warning: %s\n", lock.Error().c_str());
            return true;
    }
    return true;
}

}  // namespace

void SessionFace::SayFolderHeld(const std::string& folder, pid_t holder) const {
    fprintf(stderr, "Kestrave is already logging into %s", folder.c_str());
    if (holder > 0) fprintf(stderr, " (process %ld)", static_cast<long>(holder));
    fprintf(stderr, ". Stop it first, or log into another folder with --out DIR.\n");
}

int RunSession(const CommandLine& line, Clock& clock, SessionFace& face) {
    // Before anything else, so that a stop signal during the start-up still ends in the teardown.
    PosixTickTimer::CatchStopSignals();
    FILE* statusLog = nullptr;
    if (!OpenStatusLog(line.statusLog, &statusLog)) return 2;
    std::string error;
    if (!HostApplication::Start(line, clock, error)) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        CloseStatusLog(line.statusLog, statusLog);
        return 2;
    }
    Application& app = HostApplication::App();
    ConsoleObserver console(statusLog, face.StatusToOutput(), line.quiet);
    app.dialog.SetObserver(&console);
    app.window.Create();
    app.window.Activate();
    InstanceLock lock;
    if (face.LocksOutputFolder() && !LockOutputFolder(app, face, lock)) {
        CloseStatusLog(line.statusLog, statusLog);
        return 1;
    }
    int code = face.Run(app, console);
    app.window.Teardown();
    if (!CloseStatusLog(line.statusLog, statusLog) && code == 0) code = 1;
    return SayClosingLines(app, face.ClosingLine(), face.NothingWrittenLine(), HostApplication::OutputFolder(), code);
}

#include "cli/Session.h"

#include <cerrno>
#include <cstring>
#include <string>

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

// Printing to a reader that went away, or to a full disk, does not stop the run;
// once it is over, the exit code and standard error say that lines were lost.
bool StandardOutputFailed() {
    errno = 0;
    if (fflush(stdout) == 0 && !ferror(stdout)) return false;
    const int error = errno;
    fprintf(stderr,
            "kestrave: some lines could not be printed to standard output (%s); the day files are written all "
            "the same. To see every line, send the output to a file or read it to the end.\n",
            error != 0 ? strerror(error) : "a write failed");
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
    const bool nothingWritten = app.track.LinesWritten() + app.route.LinesWritten() == 0;
    if (code != 2 && nothingWritten && face.NothingWrittenLine() != nullptr) {
        printf("%s\n", face.NothingWrittenLine());
    } else if (code != 2) {
        printf("%s%s\n", face.ClosingLine(), HostApplication::OutputFolder().c_str());
    }
    if (StandardOutputFailed() && code == 0) code = 1;
    return code;
}

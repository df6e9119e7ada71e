#include "console/ConsoleSession.h"

#include <cstdio>
#include <string>

#include "console/ClosingLines.h"
#include "console/ConsoleHost.h"

void SessionFace::SayFolderHeld(const std::string& folder, long holder) const {
    fprintf(stderr, "Kestrave is already logging into %s", folder.c_str());
    if (holder > 0) fprintf(stderr, " (process %ld)", holder);
    fprintf(stderr, ". Stop it first, or log into another folder with --out DIR.\n");
}

int RunConsoleSession(const CommandLine& line, Clock& clock, ConsoleHost& host, SessionFace& face) {
    // Before anything else, so that a stop signal during the start-up still ends in the teardown.
    host.CatchStopSignals();
    FILE* statusLog = nullptr;
    if (!OpenStatusLog(host.Paths(), line.statusLog, &statusLog)) return 2;
    std::string error;
    if (!host.Start(line, clock, error)) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        CloseStatusLog(line.statusLog, statusLog);
        return 2;
    }
    Application& app = host.App();
    app.window.FixReplayRollover(line.fixRollover);
    ConsoleObserver console(statusLog, face.StatusToOutput(), line.quiet);
    app.dialog.SetObserver(&console);
    app.window.Create();
    app.window.Activate();
    if (face.LocksOutputFolder() && !host.LockOutputFolder(face)) {
        CloseStatusLog(line.statusLog, statusLog);
        return 1;
    }
    int code = face.Run(app, console);
    app.window.Teardown();
    code = face.AfterTeardown(app, code);
    if (!CloseStatusLog(line.statusLog, statusLog) && code == 0) code = 1;
    return SayClosingLines(app, face.ClosingLine(app), face.NothingWrittenLine(), host.OutputFolder(), code);
}

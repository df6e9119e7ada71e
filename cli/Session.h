#pragma once
#include <cstdio>
#include "cli/CommandLine.h"
#include "cli/ConsoleObserver.h"
#include "platform/Clock.h"
#include "shell/Application.h"

// What a command brings to a run of the program.
class SessionFace {
public:
    virtual ~SessionFace() = default;
    // "wb" starts the --status-log file afresh, "ab" adds to it.
    virtual const char* StatusLogMode() const { return "ab"; }
    // Status texts go to standard output too.
    virtual bool StatusToOutput() const { return false; }
    // Ctrl+C, SIGTERM and SIGHUP end the run with the teardown.
    virtual bool CatchesStopSignals() const { return true; }
    // Drives the ticks, from the first, once the window exists and its timer runs;
    // console already hears the boxes. Returns the exit code: 2 when it could not start.
    virtual int Run(Application& app, ConsoleObserver& console) = 0;
    // Printed after the teardown, followed by the output folder.
    virtual const char* ClosingLine() const = 0;
};

// The one start-up and teardown of every command that runs the program: the status
// log, the application on this host, the window created with its settings loaded
// (the command line's pinned ones win), the face's ticks, the teardown, the closing
// line. Returns the exit code.
int RunSession(const CommandLine& line, Clock& clock, SessionFace& face);

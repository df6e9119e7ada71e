#pragma once
#include <string>
#include "console/CommandLine.h"
#include "console/ConsoleObserver.h"
#include "platform/Clock.h"
#include "shell/Application.h"

class ConsoleHost;

// What a command brings to a run of the program.
class SessionFace {
public:
    virtual ~SessionFace() = default;
    // Status texts go to standard output too.
    virtual bool StatusToOutput() const { return false; }
    // A face that logs holds its output folder's instance lock for the run.
    virtual bool LocksOutputFolder() const { return true; }
    // Says on standard error that another process (0: unknown) logs into the folder.
    virtual void SayFolderHeld(const std::string& folder, long holder) const;
    // Drives the ticks, from the first, once the window exists and its timer runs;
    // console already hears the boxes. Stop signals are caught: the face stops at a
    // tick boundary and the teardown follows. Returns the exit code: 2 when it could
    // not start.
    virtual int Run(Application& app, ConsoleObserver& console) = 0;
    // The exit code once the teardown has flushed the day files.
    virtual int AfterTeardown(Application&, int code) { return code; }
    // Printed after the teardown, followed by the output folder.
    virtual const char* ClosingLine(const Application& app) const = 0;
    // Printed in its place when no line reached a day file in this run (none: the closing line).
    virtual const char* NothingWrittenLine() const { return nullptr; }
};

// The one start-up and teardown of every command that runs the program, on either
// system: the stop signals, the status log (appended to), the application on the
// host, the window created with its settings loaded (the command line's pinned ones
// win), the output folder's lock, the face's ticks, the teardown, the closing line.
// Returns the exit code: the face's, 1 when another process logs into the folder or
// when standard output could not take everything printed.
int RunConsoleSession(const CommandLine& line, Clock& clock, ConsoleHost& host, SessionFace& face);

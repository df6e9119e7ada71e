#pragma once
#include <cstdio>
#include <string>
#include "console/CommandLine.h"
#include "platform/Clock.h"

class Application;
class SessionFace;

// The host's own paths, as the user types them on the command line.
class ConsolePaths {
public:
    virtual ~ConsolePaths() = default;

    enum class Input { Readable, Folder, Unreadable };
    // Whether a named input can be read; reason: the system's words when it cannot.
    virtual Input CheckInput(const std::string& path, std::string* reason) = 0;
    // True when something that is no folder stands at the path.
    virtual bool IsNonFolder(const std::string& path) = 0;
    // Makes the folder when it is missing (its parent must exist); false with the reason.
    virtual bool MakeFolder(const std::string& path, std::string* reason) = 0;
    // The absolute form of a path, as the log box names a replayed file.
    virtual std::wstring FullPath(const std::string& path) = 0;
    // Opens a file to add to what it holds; null with errno set when it cannot.
    virtual FILE* OpenForAppend(const std::string& path) = 0;
};

// What each system brings to a console session: its paths, its application, its stop
// signals and, where it has one, the output folder's lock.
class ConsoleHost {
public:
    virtual ~ConsoleHost() = default;

    virtual ConsolePaths& Paths() = 0;

    // Ctrl+C and its kin end a run at a tick, with the teardown after.
    virtual void CatchStopSignals() = 0;
    virtual bool StopRequested() = 0;
    // The POSIX number of the stop signal, which a shell adds to 128 for the exit code;
    // Windows has no SIGHUP, so the numbers are spelt here.
    static constexpr int kInterrupt = 2, kHangUp = 1, kTerminate = 15;
    virtual int StopSignal() = 0;
    // Whether a progress bar may be drawn on standard error.
    virtual bool ShowsProgress() = 0;

    // Builds the application for the run from the command line; false with a sentence
    // that says what to do.
    virtual bool Start(const CommandLine& line, Clock& clock, std::string& error) = 0;
    virtual Application& App() = 0;
    // The host folder the day files go to, as the closing line names it.
    virtual std::string OutputFolder() = 0;
    // Holds the output folder against a second logger for the run; false (said through
    // the face) when another process holds it.
    virtual bool LockOutputFolder(const SessionFace& face) = 0;
};

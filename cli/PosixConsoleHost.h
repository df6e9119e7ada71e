#pragma once
#include "cli/PosixConsolePaths.h"
#include "console/ConsoleHost.h"
#include "platform/posix/services/InstanceLock.h"

// The Linux program's side of a console session: HostApplication, the stop signals
// of PosixTickTimer, and the output folder's instance lock.
class PosixConsoleHost : public ConsoleHost {
public:
    ConsolePaths& Paths() override { return paths_; }
    void CatchStopSignals() override;
    bool StopRequested() override;
    int StopSignal() override;
    bool ShowsProgress() override;
    bool Start(const CommandLine& line, Clock& clock, std::string& error) override;
    Application& App() override;
    std::string OutputFolder() override;
    bool LockOutputFolder(const SessionFace& face) override;

private:
    PosixConsolePaths paths_;
    InstanceLock lock_;
};

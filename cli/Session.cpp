#include "cli/Session.h"

#include <string>

#include "cli/HostApplication.h"
#include "platform/posix/PosixTickTimer.h"

int RunSession(const CommandLine& line, Clock& clock, SessionFace& face) {
    FILE* statusLog = nullptr;
    if (!OpenStatusLog(line.statusLog, face.StatusLogMode(), &statusLog)) return 2;
    std::string error;
    if (!HostApplication::Start(line, clock, error)) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        if (statusLog != nullptr) fclose(statusLog);
        return 2;
    }
    if (face.CatchesStopSignals()) PosixTickTimer::CatchStopSignals();
    Application& app = HostApplication::App();
    ConsoleObserver console(statusLog, face.StatusToOutput());
    app.dialog.SetObserver(&console);
    app.window.Create();
    app.window.Activate();
    const int code = face.Run(app, console);
    app.window.Teardown();
    if (statusLog != nullptr) fclose(statusLog);
    if (code != 2) {
        printf("%s%s\n", face.ClosingLine(), HostApplication::OutputFolder().c_str());
    }
    return code;
}

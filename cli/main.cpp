#include <csignal>
#include <cstdio>
#include <string>

#include "console/CommandLine.h"
#include "cli/GpxCommand.h"
#include "cli/LogCommand.h"
#include "cli/PlotCommand.h"
#include "cli/PosixConsoleHost.h"
#include "console/ReplaySession.h"
#include "cli/SimulateCommand.h"
#include "cli/TerminalCommand.h"

int main(int argc, char** argv) {
    // A write to a closed pipe or past the file-size limit then fails with EPIPE or
    // EFBIG and is reported like any other, instead of killing the program with the
    // buffered lines unsaved.
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(argc, argv, line, error)) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        return 2;
    }
    switch (line.mode) {
        case CommandLine::Mode::Window:
            return RunTerminal(line);
        case CommandLine::Mode::Help:
            PrintUsage(stdout);
            return 0;
        case CommandLine::Mode::Version:
            printf("kestrave %s\n", KESTRAVE_VERSION);
            return 0;
        case CommandLine::Mode::Log:
            return RunLog(line);
        case CommandLine::Mode::Replay: {
            static PosixConsoleHost host;
            return RunReplay(line, host);
        }
        case CommandLine::Mode::Simulate:
            return RunSimulate(line);
        case CommandLine::Mode::Plot:
            return RunPlot(line);
        case CommandLine::Mode::Gpx:
            return RunGpx(line);
    }
    return 2;
}

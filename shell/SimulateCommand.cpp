#include "shell/SimulateCommand.h"

#include <cstdio>
#include <string>

#include "tools/NmeaSimulator.h"

int RunSimulate(const CommandLine& line) {
    SimulatorOptions options;
    options.seed = line.seed;
    std::string error;
    if (!WriteSimulatedRecording(line.simulateOut.c_str(), options, error)) {
        fprintf(stderr, "kestrave: %s\n", error.c_str());
        return 1;
    }
    printf("Wrote a made-up drive to %s (seed %u). Replay it with: kestrave replay %s\n",
           line.simulateOut.c_str(), line.seed, line.simulateOut.c_str());
    return 0;
}

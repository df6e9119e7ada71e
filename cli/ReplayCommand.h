#pragma once
#include "cli/CommandLine.h"

class Application;

// kestrave replay FILE...: the ticks of the program back to back, without waiting.
// Returns the exit code: 0; 1 when a file error was logged or standard output could
// not take every line; 2 when it could not start; 128 + the signal's number (130 for
// Ctrl+C, 143 for SIGTERM, 129 for SIGHUP) when a stop signal ended it early.
int RunReplay(const CommandLine& line);

// Readies a program whose window exists and whose timer runs for a replay: it reads
// only its files (the port stays closed), into the output folder of the settings or
// of --out. This is the replay's first tick.
void PrepareReplay(Application& app);

#pragma once
#include "cli/CommandLine.h"

// kestrave replay FILE...: the ticks of the program back to back, without waiting.
// Returns the exit code: 0; 1 when a file error was logged or standard output could
// not take every line; 2 when it could not start; 128 + the signal's number (130 for
// Ctrl+C, 143 for SIGTERM, 129 for SIGHUP) when a stop signal ended it early.
int RunReplay(const CommandLine& line);

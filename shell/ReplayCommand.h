#pragma once
#include "shell/CommandLine.h"

// kestrave replay FILE...: the ticks of the program back to back, without waiting.
// Returns the exit code: 0, 1 when a file error was logged, 2 when it could not start.
int RunReplay(const CommandLine& line);

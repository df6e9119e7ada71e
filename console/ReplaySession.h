#pragma once
#include "console/CommandLine.h"

class ConsoleHost;

// kestrave replay FILE... on either system: checks every file and the output folder
// before the first byte is fed, replays them through the live program's ticks, stops
// at a tick on a stop signal, and flushes the day files once in the teardown. Returns
// the exit code: 0, 1 when a file error was logged, 2 when it could not start, 128 + the
// signal when stopped.
int RunReplay(const CommandLine& line, ConsoleHost& host);

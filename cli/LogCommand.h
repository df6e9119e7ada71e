#pragma once
#include "cli/CommandLine.h"

// kestrave log: live logging from the GPS receiver without a screen, one tick a
// second, until Ctrl+C, SIGTERM or SIGHUP. Returns the exit code.
int RunLog(const CommandLine& line);

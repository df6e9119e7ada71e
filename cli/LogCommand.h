#pragma once
#include "console/CommandLine.h"

// kestrave log: live logging from the GPS receiver without a screen, one tick a
// second, until Ctrl+C, SIGTERM or SIGHUP, one logger per output folder. Returns the
// exit code: 0; 1 when another process logs into the folder or standard output could
// not take every line; 2 when it could not start.
int RunLog(const CommandLine& line);

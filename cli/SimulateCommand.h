#pragma once
#include "console/CommandLine.h"

// kestrave simulate: the made-up receiver, into a file, or live on a pseudo-terminal
// (--pty) at its own pace until the drive ends or a stop signal comes. Returns the
// exit code.
int RunSimulate(const CommandLine& line);

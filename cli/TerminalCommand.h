#pragma once
#include "cli/CommandLine.h"

// `kestrave` without a command: the main window in a full-screen terminal, one
// instance per user.
int RunTerminal(const CommandLine& line);

#pragma once
#include "console/CommandLine.h"

// `kestrave` without a command: the main window in a full-screen terminal, one
// logger per output folder.
int RunTerminal(const CommandLine& line);

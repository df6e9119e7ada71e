#pragma once
#include "shell/CommandLine.h"

// kestrave simulate: the made-up receiver, into a file.
int RunSimulate(const CommandLine& line);

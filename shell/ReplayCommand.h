#pragma once
#include "shell/CommandLine.h"

class Application;
class ConsoleObserver;

// kestrave replay FILE...: the ticks of the program back to back, without waiting.
// Returns the exit code: 0, 1 when a file error was logged, 2 when it could not start.
int RunReplay(const CommandLine& line);

// Readies a started program for a replay: it reads only its files, into the stored
// output folder unless --out says otherwise, and the observer gets what it shows.
void PrepareReplay(Application& app, const CommandLine& line, ConsoleObserver& observer);

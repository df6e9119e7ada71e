#pragma once

// kestrave.exe replay FILE... [--out DIR] [--status-log FILE] [--gps-only], --help and
// --version: the Linux program's replay, with the same ticks and the same bytes, so
// that recordings can be turned into day files in a batch. Returns the exit code: 0;
// 1 when a file error was logged or not every line could be printed; 2 when it could
// not start; 130 when Ctrl+C stopped it.
int RunConsoleVerb(int argc, wchar_t** argv);

#include <windows.h>
#include <shellapi.h>

#include "win32/ReplayVerb.h"
#include "win32/WindowProgram.h"

// No arguments: the window program. "replay FILE...", --help or --version: the console
// verb, which prints to the console it was started from or to where its output goes.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv != nullptr && argc > 1) return RunConsoleVerb(argc, argv);
    return RunWindowProgram(instance, showCommand);
}

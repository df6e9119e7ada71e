#pragma once
#include <windows.h>

// The window program: one main window with the Tools menu, the status pane and the
// tray icon, until Exit, Ctrl+Q or the close box. Returns the exit code.
int RunWindowProgram(HINSTANCE instance, int showCommand);

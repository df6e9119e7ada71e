#pragma once
#include "platform/Clock.h"
#include "shell/Application.h"

// The application on the Windows platform parts: the Win32 files, the COM port, the
// registry, the time zone. Lives in static storage; start it once per run.
class Win32Application {
public:
    // root: empty for the design's paths ("\Kestrave" on the current drive), or a host
    // folder that stands for the device root "\".
    static Application& Start(const wchar_t* root, Clock& clock);
};

#pragma once
#include <string>
#include "platform/Clock.h"
#include "platform/posix/PosixFileSystem.h"
#include "shell/Application.h"
#include "shell/CommandLine.h"

// The application on this host's platform parts, set up from the command line:
// the device root (or --out), the settings file, the bound serial device. Lives in
// static storage; call once per run.
class HostApplication {
public:
    // False with a sentence that says what to do when the folders are unusable.
    static bool Start(const CommandLine& line, Clock& clock, std::string& error);
    static Application& App();
    static PosixFileSystem& Files();
    // After the settings are loaded: --out, --speed and --gps-only win over what is stored.
    static void ApplyCommandLine(const CommandLine& line);
    // The host folder of the writers' output folder.
    static std::string OutputFolder();
};

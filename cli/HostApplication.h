#pragma once
#include <string>
#include "console/CommandLine.h"
#include "platform/Clock.h"
#include "shell/Application.h"
#include "shell/GpsdChoice.h"

// The application on this host's platform parts, set up from the command line:
// the device root (or --out), the settings file, the bound serial device, and the
// values the command line pins for the run. Lives in static storage; call once per run.
class HostApplication {
public:
    // False with a sentence that says what to do when the folders are unusable.
    static bool Start(const CommandLine& line, Clock& clock, std::string& error);
    static Application& App();
    static FileSystem& Files();
    // The port menu's gpsd entry, on the devices Start built.
    static GpsdChoice& Gpsd();
    // The host folder of the writers' output folder.
    static std::string OutputFolder();
    // What the port is bound to: a tty, "gpsd at HOST:PORT", or empty.
    static std::string BoundInput();
    // True when the port reads gpsd's relay, where the port's speed has no meaning.
    static bool ReadsGpsd();
};
